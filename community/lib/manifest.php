<?php
// The update manifest of the file set: "#", one NAME|CRC|SIZE line per file,
// "#DELETE" and the delete list, CR LF line ends. Nothing is sent unless the
// whole manifest is one the launcher reads as written.

declare(strict_types=1);

require_once __DIR__ . '/kit.php';

// The manifest's sizes are 32-bit; the launcher compares only the low 32
// bits of a local file's size.
const KIT_MAX_FILE_SIZE = 4294967295;

// Every file of the set as [relative name with "\" separators => full path],
// in name order. Refuses names the launcher would skip or get wrong, and two
// names that are one on a player's Windows (which ignores letter case).
function kit_list_file_set(string $root): array
{
    if (!is_dir($root)) {
        throw new KitRefusal('the file set folder does not exist', 'file_set is ' . $root);
    }
    $files = [];
    $seen = [];
    $walk = static function (string $dir, string $prefix, array $visited) use (&$walk, &$files, &$seen): void {
        $real = realpath($dir);
        if ($real === false || isset($visited[$real])) {
            throw new KitRefusal(kit_show(rtrim($prefix, '\\')) . ' is a link back into its own folder');
        }
        $visited[$real] = true;
        $entries = @scandir($dir, SCANDIR_SORT_NONE);
        if ($entries === false) {
            throw new KitRefusal('the folder ' . kit_show(rtrim($prefix, '\\') ?: '.') . ' cannot be read',
                "$dir: " . (error_get_last()['message'] ?? 'no reason given'));
        }
        sort($entries, SORT_STRING);
        foreach ($entries as $entry) {
            if ($entry === '.' || $entry === '..' || kit_is_unfinished($entry)) {
                continue;
            }
            $name = $prefix . $entry;
            $full = $dir . '/' . $entry;
            // A "\" inside a name on the server would become a folder step
            // on the player's side.
            $problem = strpos($entry, '\\') !== false ? 'holds a backslash' : kit_path_problem($name);
            if ($problem !== null) {
                throw new KitRefusal(kit_show($name) . " $problem");
            }
            $key = strtolower($name);
            if (isset($seen[$key])) {
                throw new KitRefusal(kit_show($name) . ' and ' . kit_show($seen[$key])
                    . ' are the same name on Windows');
            }
            $seen[$key] = $name;
            if (is_dir($full)) {
                $walk($full, $name . '\\', $visited);
            } elseif (is_file($full)) {
                $files[$name] = $full;
            } else {
                throw new KitRefusal(kit_show($name) . ' is not a plain file');
            }
        }
    };
    $walk(rtrim($root, '/') ?: '/', '', []);
    ksort($files, SORT_STRING);
    return $files;
}

// CRC-32 values by name, size and modification time, kept between requests
// so that an unchanged set costs no reading of file contents. A file changed
// without a change of size or time keeps its old CRC: that is the price of
// not reading it. A CRC is stored only for the bytes it was computed from
// (the open file did not change while it was read, and is the file the
// manifest line describes), and only for files whose time lies a few seconds
// in the past, since a file written within the last moments (or dated ahead
// by a wrong clock) could change again without its time moving.
final class KitCrcCache
{
    // How long a file's time must lie in the past before its CRC is kept.
    private const SETTLED_SECONDS = 3;

    private array $entries = [];
    private array $used = [];
    private bool $changed = false;
    // Held from the first file that must be read until the cache is saved:
    // players arriving together on a cold cache then wait for one reading of
    // the set instead of each reading all of it.
    private $lock = null;

    public function __construct(private string $path)
    {
        $this->load();
    }

    private function load(): void
    {
        $text = @file_get_contents($this->path);
        $data = $text === false ? null : json_decode($text, true);
        $this->entries = [];
        if (is_array($data)) {
            foreach ($data as $name => $entry) {
                if (is_string($name) && is_array($entry) && count($entry) === 3
                    && is_int($entry[0]) && is_int($entry[1]) && is_int($entry[2])) {
                    $this->entries[$name] = $entry;
                }
            }
        }
    }

    // Takes the lock and reads the cache again, which the request that held
    // the lock before may have filled. Without a writable folder there is no
    // lock, and each request reads for itself.
    private function lockAndReload(): void
    {
        // Read-only is enough for a lock, should another user have made the file.
        $lock = @fopen($this->path . '.lock', 'c') ?: @fopen($this->path . '.lock', 'r');
        if ($lock === false || !flock($lock, LOCK_EX)) {
            $this->lock = false;
            return;
        }
        $this->lock = $lock;
        if (!$this->changed) {
            $this->load();
        }
    }

    // The CRC of the file as $stat (from stat() of $full) describes it;
    // null when the file was not those bytes while it was read.
    public function crc(string $name, string $full, array $stat, int $now): ?int
    {
        $this->used[$name] = true;
        $entry = $this->entries[$name] ?? null;
        if ($entry !== null && $entry[0] === $stat['size'] && $entry[1] === $stat['mtime']) {
            return $entry[2];
        }
        if ($this->lock === null) {
            $this->lockAndReload();
            return $this->crc($name, $full, $stat, $now);
        }
        $file = @fopen($full, 'rb');
        if ($file === false) {
            throw new KitRefusal(kit_show($name) . ' cannot be read', "$full: "
                . (error_get_last()['message'] ?? 'no reason given'));
        }
        $before = fstat($file);
        $context = hash_init('crc32b');
        $read = hash_update_stream($context, $file);
        $after = fstat($file);
        fclose($file);
        $same = static function (array $a, array $b): bool {
            return $a['dev'] === $b['dev'] && $a['ino'] === $b['ino'] && $a['size'] === $b['size']
                && $a['mtime'] === $b['mtime'];
        };
        if ($read !== $stat['size'] || !$same($before, $stat) || !$same($after, $stat)) {
            return null;
        }
        $crc = (int) hexdec(hash_final($context));
        if ($stat['mtime'] <= $now - self::SETTLED_SECONDS) {
            $this->entries[$name] = [$stat['size'], $stat['mtime'], $crc];
            $this->changed = true;
        } elseif ($entry !== null) {
            unset($this->entries[$name]);
            $this->changed = true;
        }
        return $crc;
    }

    // Writes the cache when it changed, dropping files no longer in the set.
    // A cache that cannot be written costs speed, not the answer; the admin
    // hears of it in the error log.
    public function save(): void
    {
        $kept = array_intersect_key($this->entries, $this->used);
        if (($this->changed || count($kept) !== count($this->entries))
            && !kit_write_whole($this->path, json_encode($kept, JSON_UNESCAPED_SLASHES))) {
            kit_log('files.php: the CRC cache ' . $this->path . ' cannot be written (the web server '
                . 'needs write access to its folder); every request reads the whole set again');
        }
        if ($this->lock) {
            fclose($this->lock);
        }
        $this->lock = null;
    }
}

// The delete list as manifest paths ("\" separators), refused whole when an
// entry is one the launcher would skip or misread, or a file of the set.
function kit_delete_entries(array $files, array $delete): array
{
    $deleteLines = [];
    foreach ($delete as $path) {
        if (!is_string($path)) {
            throw new KitRefusal('the delete list holds something that is not a path');
        }
        $name = str_replace('/', '\\', $path);
        $problem = kit_path_problem($name);
        if ($problem !== null) {
            throw new KitRefusal('the delete list entry ' . kit_show($path) . " $problem");
        }
        if ($name === '#DELETE') {
            throw new KitRefusal('the delete list entry ' . kit_show($path) . ' reads as the section mark');
        }
        foreach (array_keys($files) as $listed) {
            if (strcasecmp($listed, $name) === 0) {
                // The launcher would delete it and fetch it again on every start.
                throw new KitRefusal('the delete list entry ' . kit_show($path) . ' is a file of the set');
            }
        }
        $deleteLines[] = $name;
    }
    return $deleteLines;
}

// The manifest as the launcher fetches it. A file that keeps changing while
// it is read is answered with KitBusy: the client asks again shortly.
function kit_build_manifest(string $root, array $delete, string $cachePath, int $limit): string
{
    $now = time();
    $files = kit_list_file_set($root);
    $deleteLines = kit_delete_entries($files, $delete);
    $text = "#\r\n";
    $add = static function (string $line, string $what) use (&$text, $limit): void {
        $text .= $line . "\r\n";
        if (strlen($text) > $limit) {
            throw new KitRefusal("the manifest would pass its limit of $limit bytes at $what");
        }
    };
    $cache = new KitCrcCache($cachePath);
    try {
        foreach ($files as $name => $full) {
            for ($try = 0; ; $try++) {
                clearstatcache(true, $full);
                $stat = @stat($full);
                if ($stat === false) {
                    throw new KitRefusal(kit_show($name) . ' cannot be read', "$full: "
                        . (error_get_last()['message'] ?? 'no reason given'));
                }
                if ($stat['size'] > KIT_MAX_FILE_SIZE) {
                    throw new KitRefusal(kit_show($name) . ' is 4 GiB or larger, beyond the manifest\'s 32-bit sizes');
                }
                $crc = $cache->crc($name, $full, $stat, $now);
                if ($crc !== null) {
                    break;
                }
                if ($try === 2) {
                    throw new KitBusy(kit_show($name) . ' is being written; try again shortly');
                }
            }
            $add("$name|$crc|{$stat['size']}", kit_show($name));
        }
    } finally {
        // What was read is kept even when the manifest is refused, so the
        // admin's next try does not read the whole set again.
        $cache->save();
    }
    if ($deleteLines) {
        $add('#DELETE', 'the delete mark');
        foreach ($deleteLines as $name) {
            $add($name, 'the delete list entry ' . kit_show($name));
        }
    }
    return $text;
}
