<?php
// How many machines ran each launcher version in the last N days (30 when
// not given), from the sign-in log and its older file:
//
//     php report.php [DAYS]
//
// A machine that ran two versions in that time counts for both; "?" is the
// count of reports that carried no launcher user agent.

declare(strict_types=1);

require_once __DIR__ . '/lib/signinlog.php';

if (PHP_SAPI !== 'cli') {
    http_response_code(403);
    exit;
}
$days = $argv[1] ?? '30';
if (count($argv) > 2 || preg_match('/^[1-9][0-9]{0,4}$/D', $days) !== 1) {
    fwrite(STDERR, "usage: php report.php [DAYS]\n");
    exit(2);
}
try {
    $log = kit_setting(kit_config(), 'sign_in_log');
} catch (KitRefusal $refusal) {
    fwrite(STDERR, 'report.php: ' . $refusal->whole() . "\n");
    exit(1);
}
$since = gmdate('Y-m-d H:i:s', time() - (int) $days * 86400);
$machines = [];
foreach (["$log.1", $log] as $file) {
    $handle = @fopen($file, 'rb');
    while ($handle !== false && ($line = fgets($handle)) !== false) {
        $fields = explode(' ', rtrim($line, "\n"));
        // Lines of kits before the launcher's version was logged end at the
        // identifier; they count as "?".
        if (count($fields) < 5 || strcmp("$fields[0] $fields[1]", $since) < 0) {
            continue;
        }
        $version = isset($fields[6]) && $fields[5] !== '?' ? "$fields[5] ($fields[6])" : '?';
        $machines[$version][$fields[4]] = true;
    }
    if ($handle !== false) {
        fclose($handle);
    }
}
uksort($machines, static fn(string $a, string $b): int => version_compare($b, $a));
echo "machines by launcher version, last $days days:\n";
foreach ($machines as $version => $ids) {
    printf("%8d  %s\n", count($ids), $version);
}
if (!$machines) {
    echo "       0  (no sign-in in that time)\n";
}
