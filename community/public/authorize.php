<?php
// The portal page's authorize() reports here which machine opened it: one
// line in the sign-in log (time, client address, machine identifier). The
// access values are never sent here and never logged. The answer is empty.

declare(strict_types=1);

require_once __DIR__ . '/../lib/kit.php';

header('Cache-Control: no-store');
$machine = $_GET['machine'] ?? '';
// The launcher's identifier is an MD5 digest in lower-case hex; anything
// else is not written, so the log holds only lines the kit wrote itself.
if (!is_string($machine) || preg_match('/^[0-9a-f]{32}$/D', $machine) !== 1) {
    http_response_code(400);
    return;
}
try {
    $log = kit_setting(kit_config(), 'sign_in_log');
} catch (KitRefusal $refusal) {
    kit_refuse_page('authorize.php', $refusal->getMessage());
    return;
}
$client = preg_replace('/[^0-9A-Fa-f.:]/', '?', (string) ($_SERVER['REMOTE_ADDR'] ?? '-'));
$line = gmdate('Y-m-d H:i:s') . " UTC $client $machine\n";
// One append of one short line, under a lock: concurrent reports never mix.
if (@file_put_contents($log, $line, FILE_APPEND | LOCK_EX) !== strlen($line)) {
    kit_refuse_page('authorize.php', 'the sign-in log cannot be written');
    return;
}
http_response_code(204);
