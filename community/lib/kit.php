<?php
// What files.php, tabs.php and the server-list tool share: the configuration,
// the launcher's rules for names and addresses, and the refusal that stops a
// page or the tool with a clear text instead of a half answer.

declare(strict_types=1);

// The launcher reads one response of at most this many bytes for the
// manifest and for the server list; whatever lies beyond is cut off.
const KIT_READ_LIMIT = 10000;
// The launcher keeps the first 128 servers of its list and drops the rest.
const KIT_MAX_SERVERS = 128;
// The game's server cache holds 31 characters of a server's name.
const KIT_MAX_SERVER_NAME = 31;
// cookie.dat keeps each access value in a 64-byte field with its end mark.
const KIT_MAX_ACCESS_VALUE = 63;

final class KitRefusal extends RuntimeException
{
}

// The kit's folder: the configuration and everything written beside it
// (the CRC cache) live here, outside the web root.
function kit_home(): string
{
    return dirname(__DIR__);
}

function kit_config(): array
{
    $file = kit_home() . '/config.php';
    $config = is_file($file) ? include $file : null;
    if (!is_array($config)) {
        throw new KitRefusal("the configuration $file is missing or does not return an array");
    }
    return $config;
}

// A path from the configuration; a relative one counts from the kit's folder.
function kit_setting(array $config, string $key): string
{
    if (!isset($config[$key]) || !is_string($config[$key]) || $config[$key] === '') {
        throw new KitRefusal("the configuration has no '$key'");
    }
    $path = $config[$key];
    return $path[0] === '/' ? $path : kit_home() . '/' . $path;
}

// Names in messages: control characters and bytes beyond ASCII shown as
// escapes, so a message never carries a line break or a broken character.
function kit_show(string $name): string
{
    return '"' . preg_replace_callback('/[\x00-\x1f\x7f-\xff]/', static function (array $m): string {
        return sprintf('\\x%02X', ord($m[0]));
    }, $name) . '"';
}

function kit_is_reserved_device(string $component): bool
{
    $dot = strpos($component, '.');
    $base = strtoupper(rtrim($dot === false ? $component : substr($component, 0, $dot), ' '));
    return in_array($base, ['CON', 'PRN', 'AUX', 'NUL', 'CONIN$', 'CONOUT$'], true)
        || preg_match('/^(COM|LPT)[1-9]$/', $base) === 1;
}

// Why the launcher would not take this manifest path as a file inside the
// game folder, or null when it would. Beyond the launcher's own rule the kit
// refuses what the launcher would take but then get wrong: blanks at the ends
// (the launcher trims the line, so it would look for another name) and bytes
// beyond ASCII (each player's code page reads them as different names, and
// the FTP server as yet another).
function kit_path_problem(string $path): ?string
{
    if (trim($path) === '') {
        return 'is blank';
    }
    if (strpos($path, ':') !== false) {
        return "holds ':' (a drive or stream)";
    }
    if (strpos($path, '..') !== false) {
        return "holds '..'";
    }
    if (trim($path, " \t\n\r\v\f") !== $path) {
        return 'begins or ends with a blank';
    }
    if (preg_match('/[\x80-\xff]/', $path)) {
        return 'holds characters beyond ASCII';
    }
    foreach (preg_split('#[\\\\/]#', $path) as $component) {
        if ($component === '') {
            return 'is rooted or has an empty folder name';
        }
        if ($component === '.') {
            continue;
        }
        if (preg_match('/[\x00-\x1f]/', $component)) {
            return 'holds a control character';
        }
        if (preg_match('/[<>"?*|]/', $component)) {
            return 'holds one of < > " ? * |';
        }
        if (substr($component, -1) === '.' || substr($component, -1) === ' ') {
            return 'ends a name with a dot or a blank, which Windows drops';
        }
        if (kit_is_reserved_device($component)) {
            return 'is a reserved device name';
        }
    }
    return null;
}

// Replaces a file through a complete temporary copy in the same folder, so a
// reader never sees half of it and two writers at once leave one whole file.
function kit_write_whole(string $path, string $bytes): bool
{
    $temp = @tempnam(dirname($path), '.' . basename($path) . '.');
    if ($temp === false) {
        return false;
    }
    // tempnam falls back to the system's temporary folder when this one is
    // not writable, and a rename from there is a copy that can be seen half done.
    if (dirname($temp) !== dirname($path)) {
        @unlink($temp);
        return false;
    }
    if (@file_put_contents($temp, $bytes) !== strlen($bytes)) {
        @unlink($temp);
        return false;
    }
    @chmod($temp, 0644);
    if (!@rename($temp, $path)) {
        @unlink($temp);
        return false;
    }
    return true;
}

// The end of a page that cannot answer: HTTP 500 and one plain line that
// says why, never part of an answer.
function kit_refuse_page(string $page, string $why): void
{
    http_response_code(500);
    header('Content-Type: text/plain; charset=utf-8');
    header('Cache-Control: no-store');
    header('X-Content-Type-Options: nosniff');
    echo "$page: $why\r\n";
}
