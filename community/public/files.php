<?php
// The update manifest the launcher fetches as /files.php on every start.
//
// For admins and cron, on the command line:
//
//     php public/files.php --check
//
// prints the manifest's verdict and exits non-zero when the web server would
// refuse it.

declare(strict_types=1);

require_once __DIR__ . '/../lib/manifest.php';

function kit_manifest_of_config(): string
{
    $config = kit_config();
    $delete = $config['delete'] ?? [];
    if (!is_array($delete)) {
        throw new KitRefusal("the configuration's 'delete' is not a list");
    }
    return kit_build_manifest(kit_setting($config, 'file_set'), $delete, kit_home() . '/files-crc.json',
        kit_manifest_limit($config));
}

if (PHP_SAPI === 'cli') {
    if (($argv[1] ?? '') !== '--check' || count($argv) !== 2) {
        fwrite(STDERR, "usage: php files.php --check\n");
        exit(2);
    }
    try {
        $manifest = kit_manifest_of_config();
    } catch (KitRefusal | KitBusy $refusal) {
        fwrite(STDERR, 'files.php: refused: ' . ($refusal instanceof KitRefusal ? $refusal->whole()
            : $refusal->getMessage()) . "\n");
        exit(1);
    }
    printf("files.php: served: %d files, %d bytes of %d\n", preg_match_all('/\|[0-9]+\|[0-9]+\r$/m', $manifest),
        strlen($manifest), kit_manifest_limit(kit_config()));
    exit(0);
}

try {
    $manifest = kit_manifest_of_config();
} catch (KitRefusal | KitBusy $refusal) {
    kit_refuse_page('files.php', $refusal);
    return;
}
header('Content-Type: text/plain; charset=us-ascii');
header('Cache-Control: no-store');
header('Content-Length: ' . strlen($manifest));
echo $manifest;
