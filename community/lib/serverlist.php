<?php
// The community's server list as the launcher fetches it from
// /INFO/serverlist.inf: a stamp line that changes with every list, then one
// ADDRESS|NAME line per server, CR LF line ends.

declare(strict_types=1);

require_once __DIR__ . '/kit.php';

// The port the launcher gives a server written without one.
const KIT_DEFAULT_SERVER_PORT = 29070;

// What the launcher makes of an address, as a key that is equal for two
// addresses it would store once; throws when the launcher would store it
// as unusable or read it otherwise than written.
function kit_server_key(string $address): string
{
    if ($address === 'localhost') {
        return 'loopback';
    }
    if (preg_match('/^([^:]*)(?::(.*))?$/s', $address, $m) !== 1) {
        throw new KitRefusal('is not an address');
    }
    $host = $m[1];
    $port = KIT_DEFAULT_SERVER_PORT;
    if (isset($m[2])) {
        if (preg_match('/^[1-9][0-9]{0,4}$/', $m[2]) !== 1 || (int) $m[2] > 65535) {
            throw new KitRefusal('has a port that is not a number from 1 to 65535');
        }
        $port = (int) $m[2];
    }
    if (preg_match('/^[0-9a-fA-F]{8}\.[0-9a-fA-F]{12}$/', $host) === 1) {
        return 'ipx ' . strtolower($host) . " $port";
    }
    if (ctype_digit($host[0] ?? '')) {
        // The launcher reads any host that begins with a digit as a numeric
        // address, and reads a leading zero as octal.
        if (preg_match('/^(0|[1-9][0-9]{0,2})(\.(0|[1-9][0-9]{0,2})){3}$/', $host) !== 1
            || max(array_map('intval', explode('.', $host))) > 255) {
            throw new KitRefusal('begins with a digit but is not a dotted address a.b.c.d (0 to 255, no leading zeros)');
        }
        if ($host === '255.255.255.255') {
            throw new KitRefusal('is the broadcast address, which the launcher takes as unusable');
        }
        return "ip $host $port";
    }
    if (strlen($host) > 253
        || preg_match('/^[A-Za-z]([A-Za-z0-9-]{0,61}[A-Za-z0-9])?(\.[A-Za-z0-9]([A-Za-z0-9-]{0,61}[A-Za-z0-9])?)*$/', $host) !== 1) {
        throw new KitRefusal('is neither localhost, a dotted address, an IPX address nor a host name');
    }
    return 'name ' . strtolower($host) . " $port";
}

// The lines "address|name" of the plain list; blank lines and lines that
// begin with "#" are notes for the admin. Refuses the whole list at the
// first line the launcher would not use as written.
function kit_server_lines(string $source): array
{
    $lines = preg_split('/\r?\n/', $source);
    $servers = [];
    $seen = [];
    foreach ($lines as $index => $line) {
        $number = $index + 1;
        $line = trim($line);
        if ($line === '' || $line[0] === '#') {
            continue;
        }
        $bar = strpos($line, '|');
        if ($bar === false) {
            throw new KitRefusal("line $number: no '|' between address and name");
        }
        $address = trim(substr($line, 0, $bar));
        $name = trim(substr($line, $bar + 1));
        if ($address === '' || $name === '') {
            throw new KitRefusal("line $number: the address or the name is empty");
        }
        try {
            $key = kit_server_key($address);
        } catch (KitRefusal $why) {
            throw new KitRefusal("line $number: the address " . kit_show($address) . ' ' . $why->getMessage());
        }
        if (isset($seen[$key])) {
            throw new KitRefusal("line $number: " . kit_show($address) . " is the same server as line {$seen[$key]}");
        }
        $seen[$key] = $number;
        if (preg_match('/[\x00-\x1f\x7f]/', $name)) {
            throw new KitRefusal("line $number: the name holds a control character");
        }
        if (strlen($name) > KIT_MAX_SERVER_NAME) {
            throw new KitRefusal("line $number: the name " . kit_show($name) . ' is ' . strlen($name)
                . ' bytes long; the game keeps ' . KIT_MAX_SERVER_NAME);
        }
        $servers[] = "$address|$name";
    }
    if (!$servers) {
        throw new KitRefusal('no server in the list; players would lose every server they have');
    }
    if (count($servers) > KIT_MAX_SERVERS) {
        throw new KitRefusal(count($servers) . ' servers; the launcher uses the first ' . KIT_MAX_SERVERS);
    }
    return $servers;
}

// The list as the launcher fetches it, under the given stamp.
function kit_build_server_list(string $source, string $stamp): string
{
    $servers = kit_server_lines($source);
    $text = $stamp . "\r\n" . implode("\r\n", $servers) . "\r\n";
    if (strlen($text) > KIT_SERVER_LIST_LIMIT) {
        throw new KitRefusal('the list would be ' . strlen($text) . ' bytes; the launcher reads ' . KIT_SERVER_LIST_LIMIT);
    }
    return $text;
}

// A stamp unlike any earlier one: the time of writing, to the second, and a
// checksum of the servers, so two lists written within one second differ too.
function kit_server_list_stamp(string $source, int $time): string
{
    return gmdate('Y-m-d H:i:s', $time) . ' UTC ' . hash('crc32b', $source);
}
