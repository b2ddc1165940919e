<?php
// Writes the server list the launcher fetches (/INFO/serverlist.inf) from the
// plain list named in config.php, with a new stamp, so that every launcher
// rebuilds the game's server cache on its next start. Run it after every
// change of the plain list:
//
//     php make-serverlist.php
//
// It refuses the whole list, and leaves the served one as it was, when a
// line holds something the launcher would not use as written: an address it
// cannot read, a port outside 1 to 65535, the same server twice, a name
// longer than the game keeps (31 bytes), more servers than the launcher
// takes (128), or more than it reads (10000 bytes).

declare(strict_types=1);

require_once __DIR__ . '/lib/serverlist.php';

if (PHP_SAPI !== 'cli') {
    http_response_code(403);
    exit;
}
try {
    $config = kit_config();
    $sourcePath = kit_setting($config, 'servers');
    $target = kit_setting($config, 'server_list');
    $source = @file_get_contents($sourcePath);
    if ($source === false) {
        throw new KitRefusal('the plain list ' . kit_show($sourcePath) . ' cannot be read');
    }
    $list = kit_build_server_list($source, kit_server_list_stamp($source, time()));
    if (!is_dir(dirname($target)) && !@mkdir(dirname($target), 0755, true)) {
        throw new KitRefusal('the folder of ' . kit_show($target) . ' cannot be made');
    }
    if (!kit_write_whole($target, $list)) {
        throw new KitRefusal(kit_show($target) . ' cannot be written');
    }
} catch (KitRefusal $refusal) {
    fwrite(STDERR, 'make-serverlist.php: ' . $refusal->whole() . "\n");
    exit(1);
}
$count = substr_count($list, "\r\n") - 1;
echo "wrote $count servers to $target\n";
