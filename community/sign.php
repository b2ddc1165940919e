<?php
// Signs the community's updates for launchers built with its public key. Run
// it where the file set is prepared, never on the web server: whoever holds
// the private key can install any file on every player's machine.
//
//     php sign.php key  KEYFILE    makes a key pair: the private key goes to
//                                  KEYFILE (owner-only), the public key is
//                                  printed for the launcher's build setting
//                                  VEMOR_SIGNING_KEY
//     php sign.php public KEYFILE  prints the public key of KEYFILE again
//     php sign.php publish KEYFILE signs the manifest of the file set and the
//                                  server list of config.php into the folder
//                                  'signed' (public/signed by default), which
//                                  the web server serves as static files
//
// Publish again after every change of the file set, the delete list or the
// server list, and upload the signed files after the files themselves.
// Nothing is written unless both documents could be made whole.

declare(strict_types=1);

require_once __DIR__ . '/lib/signing.php';

if (PHP_SAPI !== 'cli') {
    http_response_code(403);
    exit;
}

function kit_sign_main(array $argv): int
{
    [$command, $keyPath] = [$argv[1] ?? '', $argv[2] ?? ''];
    if ($keyPath === '' || count($argv) !== 3 || !in_array($command, ['key', 'public', 'publish'], true)) {
        fwrite(STDERR, "usage: php sign.php key|public|publish KEYFILE\n");
        return 2;
    }
    $public = realpath(kit_home() . '/public');
    $keyFolder = realpath(dirname($keyPath));
    if ($public !== false && $keyFolder !== false
        && ($keyFolder === $public || strpos($keyFolder . '/', $public . '/') === 0)) {
        throw new KitRefusal('the key ' . kit_show($keyPath) . ' would lie in the web root, where anyone can fetch it');
    }
    if ($command === 'key') {
        echo kit_signing_new_key($keyPath), "\n";
        fwrite(STDERR, "private key written to $keyPath (keep it off the web server, and keep a copy offline);\n"
            . "build the launcher with -DVEMOR_SIGNING_KEY=<the line above>\n");
        return 0;
    }
    $key = kit_signing_load_key($keyPath);
    if ($command === 'public') {
        echo kit_signing_public_hex($key), "\n";
        return 0;
    }

    $config = kit_config();
    $delete = $config['delete'] ?? [];
    if (!is_array($delete)) {
        throw new KitRefusal("the configuration's 'delete' is not a list");
    }
    $folder = kit_home() . '/' . ($config['signed'] ?? 'public/signed');
    $source = @file_get_contents(kit_setting($config, 'servers'));
    if ($source === false) {
        throw new KitRefusal('the plain server list ' . kit_show(kit_setting($config, 'servers')) . ' cannot be read');
    }
    $sequence = kit_next_sequence($folder, time());
    $manifest = kit_signed_manifest($key, kit_setting($config, 'file_set'), $delete, $sequence);
    $servers = kit_signed_server_list($key, $source, $sequence);
    if (!is_dir($folder) && !@mkdir($folder, 0755, true)) {
        throw new KitRefusal('the folder ' . kit_show($folder) . ' cannot be made');
    }
    foreach (['files.txt' => $manifest, 'serverlist.txt' => $servers] as $name => $document) {
        if (!kit_write_whole("$folder/$name", $document)) {
            throw new KitRefusal(kit_show("$folder/$name") . ' cannot be written');
        }
    }
    echo 'signed ' . (substr_count($manifest, "\nfile ")) . ' files and '
        . substr_count($servers, "\nserver ") . " servers as sequence $sequence into $folder\n";
    return 0;
}

try {
    exit(kit_sign_main($argv));
} catch (KitRefusal $refusal) {
    fwrite(STDERR, 'sign.php: ' . $refusal->getMessage() . "\n");
    exit(1);
}
