<?php
// The portal page's authorize() reports here which machine opened it: one
// line in the sign-in log (time, client address, machine identifier and the
// launcher's version and mode). The access values are never sent here and
// never logged. The answer is empty.

declare(strict_types=1);

require_once __DIR__ . '/../lib/signinlog.php';

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
    $client = preg_replace('/[^0-9A-Fa-f.:]/', '?', (string) ($_SERVER['REMOTE_ADDR'] ?? '-'));
    if (!kit_note_sign_in($log, $client, $machine, (string) ($_SERVER['HTTP_USER_AGENT'] ?? ''), time())) {
        throw new KitRefusal('the sign-in log cannot be written', "$log: "
            . (error_get_last()['message'] ?? 'no reason given'));
    }
} catch (KitRefusal $refusal) {
    kit_refuse_page('authorize.php', $refusal);
    return;
}
http_response_code(204);
