<?php
// The kit's one configuration file. The web server's document root is the
// folder public/ beside this file; this file, the tool make-serverlist.php,
// the CRC cache files-crc.json and the sign-in log stay outside it, so none
// of them can be fetched over HTTP. Relative paths count from this folder.

return [
    // The folder that the update FTP server shows to the account "kel" as its
    // root: the community's file set, laid out as in a player's game folder
    // (base\..., japlus\..., vemor.exe for a new launcher). /files.php lists
    // every file in it but hidden ones and upload temporaries, so the web
    // server must be able to read it. The web server also needs to write in
    // the kit's folder (this one) for the CRC cache; without it every request
    // reads the whole set again (README.md says how).
    'file_set' => '../files',

    // Files the launcher deletes from players' game folders, relative to the
    // game folder ("/" or "\" between folders). A path that is also a file of
    // the set is refused, since players would delete and fetch it on every start.
    'delete' => [
        // 'base/old_skins.pk3',
    ],

    // The plain server list, one "address|name" per line, and where
    // make-serverlist.php writes the list the launcher fetches as
    // /INFO/serverlist.inf.
    'servers' => 'servers.txt',
    'server_list' => 'public/INFO/serverlist.inf',

    // Where sign.php writes the signed manifest and server list (files.txt
    // and serverlist.txt) for launchers built with the community's key. The
    // launcher fetches them as /signed/files.txt and /signed/serverlist.txt,
    // so on the web server they belong in the folder signed/ of the web root;
    // on a second machine that only signs, any folder (an absolute path works).
    'signed' => 'public/signed',

    // Web roots beyond this kit's public/ (one path or a list) in which
    // sign.php refuses to find the signing key, since anyone could fetch it.
    'web_root' => [
        // '/var/www/html',
    ],

    // The most bytes of manifest the players' launchers read: 1 MiB for
    // current launchers; 10000 while players still run launchers that read
    // no more. A larger manifest is refused whole, never cut.
    'manifest_limit' => 1048576,

    // Where authorize.php notes each launcher that opened the portal: time,
    // client address and machine identifier, one line each. Never the
    // access values.
    'sign_in_log' => 'sign-in.log',
];
