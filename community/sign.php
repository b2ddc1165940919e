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
//     php sign.php publish KEYFILE [--after URL]
//                                  signs the manifest of the file set and the
//                                  server list of config.php into the folder
//                                  'signed' (public/signed by default), which
//                                  the web server serves as static files
//
// The sequence of a new signing is never lower than the last one this tool
// can see: the signed files in its folder, and with --after the live
// manifest (URL is the portal, http://portal.example.org, or the full URL of
// its signed/files.txt). Use --after on a machine whose folder may be behind
// the web server's (a second machine, a fresh copy): players refuse a
// sequence below one they have accepted.
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

// Every folder the web server serves from: the kit's public/ and whatever
// 'web_root' (one path or a list) names, as real paths.
function kit_web_roots(array $config): array
{
    $roots = [kit_home() . '/public'];
    foreach ((array) ($config['web_root'] ?? []) as $root) {
        if (is_string($root) && $root !== '') {
            $roots[] = kit_is_absolute($root) ? $root : kit_home() . '/' . $root;
        }
    }
    return array_values(array_filter(array_map('realpath', $roots)));
}

// The real folder $path would lie in, even when it does not exist yet: its
// nearest existing ancestor resolved (links included), the rest appended.
function kit_real_folder(string $path): string
{
    $folder = dirname($path);
    $rest = '';
    while (($real = realpath($folder)) === false) {
        $rest = '/' . basename($folder) . $rest;
        $up = dirname($folder);
        if ($up === $folder) {
            return $folder . $rest;
        }
        $folder = $up;
    }
    return rtrim(str_replace('\\', '/', $real), '/') . str_replace('\\', '/', $rest);
}

function kit_check_key_place(string $keyPath, array $roots): void
{
    $folder = kit_real_folder($keyPath) . '/';
    foreach ($roots as $root) {
        $root = rtrim(str_replace('\\', '/', $root), '/') . '/';
        $inside = PHP_OS_FAMILY === 'Windows' ? stripos($folder, $root) === 0 : strpos($folder, $root) === 0;
        if ($inside) {
            throw new KitRefusal('the key ' . kit_show($keyPath)
                . ' would lie in the web root ' . kit_show($root) . ', where anyone can fetch it');
        }
    }
}

// The sequence of the live signed manifest at $url, 0 when there is none yet
// (404); refuses when the portal cannot be asked.
function kit_live_sequence(string $url): int
{
    if (!preg_match('#^https?://#i', $url)) {
        throw new KitRefusal('--after takes the portal\'s http:// or https:// address');
    }
    if (!preg_match('#\.txt$#', $url)) {
        $url = rtrim($url, '/') . '/signed/files.txt';
    }
    $context = stream_context_create(['http' => ['timeout' => 30, 'ignore_errors' => true]]);
    $text = @file_get_contents($url, false, $context);
    $status = isset($http_response_header[0]) && preg_match('#^HTTP/\S+ (\d+)#', $http_response_header[0], $m)
        ? (int) $m[1] : 0;
    if ($status === 404) {
        return 0;
    }
    if ($text === false || $status !== 200) {
        throw new KitRefusal('the live manifest ' . kit_show($url) . ' cannot be read'
            . ($status ? " (HTTP $status)" : ''));
    }
    $sequence = kit_signed_sequence($text);
    if ($sequence === 0) {
        throw new KitRefusal('the live manifest ' . kit_show($url) . ' is not a signed manifest');
    }
    return $sequence;
}

function kit_sign_main(array $argv): int
{
    $args = array_slice($argv, 1);
    $after = null;
    $at = array_search('--after', $args, true);
    if ($at !== false) {
        $after = $args[$at + 1] ?? '';
        array_splice($args, $at, 2);
    }
    [$command, $keyPath] = [$args[0] ?? '', $args[1] ?? ''];
    if ($keyPath === '' || count($args) !== 2 || !in_array($command, ['key', 'public', 'publish'], true)
        || ($after !== null && ($command !== 'publish' || $after === ''))) {
        fwrite(STDERR, "usage: php sign.php key|public KEYFILE\n"
            . "       php sign.php publish KEYFILE [--after URL]\n");
        return 2;
    }
    $config = kit_config();
    kit_check_key_place($keyPath, kit_web_roots($config));
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

    $delete = $config['delete'] ?? [];
    if (!is_array($delete)) {
        throw new KitRefusal("the configuration's 'delete' is not a list");
    }
    $folder = kit_setting($config, 'signed', 'public/signed');
    $source = @file_get_contents(kit_setting($config, 'servers'));
    if ($source === false) {
        throw new KitRefusal('the plain server list ' . kit_show(kit_setting($config, 'servers')) . ' cannot be read');
    }
    $floor = $after === null ? 0 : kit_live_sequence($after);
    $sequence = max(kit_next_sequence($folder, time()), $floor + 1);
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
        . substr_count($servers, "\nserver ") . " servers as sequence $sequence into $folder\n"
        . "(a launcher built now takes -DVEMOR_SIGNING_FLOOR=$sequence)\n";
    return 0;
}

try {
    exit(kit_sign_main($argv));
} catch (KitRefusal $refusal) {
    fwrite(STDERR, 'sign.php: ' . $refusal->whole() . "\n");
    exit(1);
}
