<?php
// The sign-in log: which machines opened the portal, from where, with which
// launcher. One line each:
//
//   2026-12-07 19:00:00 UTC 203.0.113.9 <machine identifier> <version> <mode>
//
// version and mode come from the launcher's user agent "vemor/1.4.0 (signed)";
// "?" when the request did not carry it. The log is bounded: a machine that
// reports again from the same address within a minute is not written again,
// and past about 10 MB the log becomes sign-in.log.1 (replacing the older one).

declare(strict_types=1);

require_once __DIR__ . '/kit.php';

const KIT_SIGN_IN_LOG_ROTATE = 10 * 1024 * 1024;
const KIT_SIGN_IN_REPEAT_SECONDS = 60;
// How far back from the log's end a repeat is looked for: one minute of lines
// at any rate a web server of a community sees.
const KIT_SIGN_IN_TAIL = 256 * 1024;

// [version, mode] of the launcher's user agent, anywhere in the header (a
// browser control may carry it after its own).
function kit_launcher_of(string $userAgent): array
{
    if (preg_match('#\bvemor/([0-9A-Za-z.+-]{1,32}) \((plain|signed)\)#', $userAgent, $m) === 1) {
        return [$m[1], $m[2]];
    }
    return ['?', '?'];
}

// The log opened and locked; a writer that waited for the lock while another
// rotated the log opens the new one.
function kit_open_sign_in_log(string $log)
{
    for ($try = 0; $try < 3; $try++) {
        $file = @fopen($log, 'c+');
        if ($file === false || !flock($file, LOCK_EX)) {
            return false;
        }
        clearstatcache(true, $log);
        $named = @stat($log);
        if ($named !== false && $named['ino'] === fstat($file)['ino']) {
            return $file;
        }
        fclose($file);
    }
    return false;
}

// Notes one report; false when the log cannot be written.
function kit_note_sign_in(string $log, string $client, string $machine, string $userAgent, int $now): bool
{
    $file = kit_open_sign_in_log($log);
    if ($file === false) {
        return false;
    }
    try {
        $size = fstat($file)['size'];
        $key = " $client $machine ";
        if ($size > 0) {
            fseek($file, max(0, $size - KIT_SIGN_IN_TAIL));
            $tail = (string) stream_get_contents($file);
            $since = gmdate('Y-m-d H:i:s', $now - KIT_SIGN_IN_REPEAT_SECONDS);
            foreach (array_reverse(explode("\n", rtrim($tail, "\n"))) as $line) {
                if (strcmp(substr($line, 0, 19), $since) < 0) {
                    break;
                }
                if (strpos($line, $key) === 19 + 4) {
                    return true;
                }
            }
        }
        if ($size >= KIT_SIGN_IN_LOG_ROTATE) {
            if (!@rename($log, "$log.1")) {
                return false;
            }
            fclose($file);
            $file = kit_open_sign_in_log($log);
            if ($file === false) {
                return false;
            }
        }
        [$version, $mode] = kit_launcher_of($userAgent);
        $line = gmdate('Y-m-d H:i:s', $now) . " UTC $client $machine $version $mode\n";
        fseek($file, 0, SEEK_END);
        return fwrite($file, $line) === strlen($line);
    } finally {
        if ($file !== false) {
            fclose($file);
        }
    }
}
