<?php
// What files.php, tabs.php and the server-list tool share: the configuration,
// the launcher's rules for names and addresses, and the refusal that stops a
// page or the tool with a clear text instead of a half answer.

declare(strict_types=1);

// Launchers read at most this many bytes of the server list; whatever lies
// beyond is cut off.
const KIT_SERVER_LIST_LIMIT = 10000;
// The manifest's limit unless config.php sets 'manifest_limit': what current
// launchers read. Launchers before it read 10000 bytes.
const KIT_DEFAULT_MANIFEST_LIMIT = 1048576;
// The launcher keeps the first 128 servers of its list and drops the rest.
const KIT_MAX_SERVERS = 128;
// The game's server cache holds 31 characters of a server's name.
const KIT_MAX_SERVER_NAME = 31;
// cookie.dat keeps each access value in a 64-byte field with its end mark.
const KIT_MAX_ACCESS_VALUE = 63;

// Why a page or a tool cannot answer. The message is for whoever asked and
// names files only relative to the set; the detail (server paths, what the
// system said) is for the admin: the error log of the web server, or the
// tool's own output.
final class KitRefusal extends RuntimeException
{
    public function __construct(string $message, private string $detail = '')
    {
        parent::__construct($message);
    }

    public function detail(): string
    {
        return $this->detail;
    }

    public function whole(): string
    {
        return $this->getMessage() . ($this->detail === '' ? '' : " ({$this->detail})");
    }
}

// The file set is being written to: the answer is to ask again shortly.
final class KitBusy extends RuntimeException
{
}

// The kit's folder: the configuration and everything written beside it
// (the CRC cache) live here, outside the web root.
function kit_home(): string
{
    return dirname(__DIR__);
}

// The configuration, read once per request. A syntax error in it is an
// error like any other: every page refuses, none answers half.
function kit_config(): array
{
    static $config = null;
    if ($config !== null) {
        return $config;
    }
    $file = kit_home() . '/config.php';
    try {
        $read = is_file($file) ? include $file : null;
    } catch (Throwable $error) {
        throw new KitRefusal('the configuration is broken', "$file: " . $error->getMessage()
            . ' on line ' . $error->getLine());
    }
    if (!is_array($read)) {
        throw new KitRefusal('the configuration is missing or broken', "$file does not return an array");
    }
    return $config = $read;
}

function kit_is_absolute(string $path): bool
{
    return $path[0] === '/' || $path[0] === '\\' || preg_match('#^[A-Za-z]:[\\\\/]#', $path) === 1;
}

// A path from the configuration; a relative one counts from the kit's folder.
function kit_setting(array $config, string $key, ?string $default = null): string
{
    $path = $config[$key] ?? $default;
    if (!is_string($path) || $path === '') {
        throw new KitRefusal("the configuration has no '$key'");
    }
    return kit_is_absolute($path) ? $path : kit_home() . '/' . $path;
}

// The manifest's byte limit: 'manifest_limit', 1 MiB by default.
function kit_manifest_limit(array $config): int
{
    $limit = $config['manifest_limit'] ?? KIT_DEFAULT_MANIFEST_LIMIT;
    if (!is_int($limit) || $limit < 1) {
        throw new KitRefusal("the configuration's 'manifest_limit' is not a number of bytes");
    }
    return $limit;
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
// (the launcher trims the plain manifest's lines, so it would look for
// another name). Bytes beyond ASCII and DEL the signed manifest refuses (each
// player's code page would read another name, and the FTP server yet another).
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
    if (preg_match('/[\x7f-\xff]/', $path)) {
        return 'holds DEL or characters beyond ASCII';
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

// Upload temporaries and hidden files (rsync's ".name.XyZ123", an editor's
// "name~", a browser's "name.part"): never part of the set, so a player never
// fetches half a file or keeps a temporary one for good.
function kit_is_unfinished(string $entry): bool
{
    return $entry[0] === '.' || substr($entry, -1) === '~'
        || preg_match('/\.(part|filepart|tmp)$/i', $entry) === 1;
}

// Notes for the admin in the web server's error log (the tool's standard
// error on the command line), each message once per request.
function kit_log(string $line): void
{
    static $said = [];
    if (!isset($said[$line])) {
        $said[$line] = true;
        error_log($line);
    }
}

// The end of a page that cannot answer: one plain line for the client that
// says why, never part of an answer and never a server path; the whole
// reason goes to the error log.
function kit_refuse_page(string $page, Throwable $why): void
{
    $busy = $why instanceof KitBusy;
    http_response_code($busy ? 503 : 500);
    header('Content-Type: text/plain; charset=utf-8');
    header('Cache-Control: no-store');
    header('X-Content-Type-Options: nosniff');
    if ($busy) {
        header('Retry-After: 5');
    }
    kit_log("$page: " . ($why instanceof KitRefusal ? $why->whole() : $why->getMessage()));
    echo "$page: " . $why->getMessage() . "\r\n";
}
