<?php
// The update manifest the launcher fetches as /files.php on every start.

declare(strict_types=1);

require_once __DIR__ . '/../lib/manifest.php';

try {
    $config = kit_config();
    $delete = $config['delete'] ?? [];
    if (!is_array($delete)) {
        throw new KitRefusal("the configuration's 'delete' is not a list");
    }
    $manifest = kit_build_manifest(kit_setting($config, 'file_set'), $delete, kit_home() . '/files-crc.json');
} catch (KitRefusal $refusal) {
    kit_refuse_page('files.php', $refusal->getMessage());
    return;
}
header('Content-Type: text/plain; charset=us-ascii');
header('Cache-Control: no-store');
header('Content-Length: ' . strlen($manifest));
echo $manifest;
