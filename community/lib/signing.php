<?php
// Signed forms of the manifest and the server list for launchers built with
// the community's public key. The format (read by the launcher's
// signing/SignedDocument.h):
//
//   vemor signed 1
//   kind manifest | kind serverlist
//   sequence N                       grows with every signing
//   file NAME|CRC|SIZE|SHA256        manifest: one per file of the set
//   delete PATH                      manifest: the delete list
//   server ADDRESS|NAME              server list: one per server
//   signature R||S                   ECDSA P-256 over SHA-256 of all above
//
// LF line ends, no control characters, printable ASCII only except in
// server names, at most KIT_SIGNED_LIMIT bytes.

declare(strict_types=1);

require_once __DIR__ . '/manifest.php';
require_once __DIR__ . '/serverlist.php';

// The launcher refuses a signed document beyond 1 MiB.
const KIT_SIGNED_LIMIT = 1048576;
const KIT_SIGNED_FORMAT = "vemor signed 1\n";

// A new key pair: the private key written to $path, readable by its owner
// only and never over an existing file (a lost key cannot be replaced
// silently: every launcher built with it would refuse the new one).
// Returns the public key as the launcher's build setting takes it.
function kit_signing_new_key(string $path): string
{
    if (file_exists($path)) {
        throw new KitRefusal(kit_show($path) . ' exists already; a key is never overwritten');
    }
    $key = openssl_pkey_new(['private_key_type' => OPENSSL_KEYTYPE_EC, 'curve_name' => 'prime256v1']);
    if ($key === false || !openssl_pkey_export($key, $pem)) {
        throw new KitRefusal('no key could be made: ' . (string) openssl_error_string());
    }
    $old = umask(0077);
    $file = @fopen($path, 'x');
    umask($old);
    if ($file === false) {
        throw new KitRefusal(kit_show($path) . ' cannot be created');
    }
    // Owner-only before the first byte is written.
    $written = @chmod($path, 0600) && fwrite($file, $pem) === strlen($pem);
    if (!fclose($file) || !$written) {
        @unlink($path);
        throw new KitRefusal(kit_show($path) . ' cannot be written');
    }
    return kit_signing_public_hex($key);
}

// Whether the key's file mode lets others read it; null where the system
// cannot say: PHP on Windows reports 0666 for every file, whoever may read it.
function kit_key_readable_by_others(int $mode, string $system): ?bool
{
    return $system === 'Windows' ? null : ($mode & 0077) !== 0;
}

// The private key of $path. Refused when others may read it: a key that has
// been readable by others must be taken as known to them.
function kit_signing_load_key(string $path): OpenSSLAsymmetricKey
{
    $mode = @fileperms($path);
    if ($mode === false) {
        throw new KitRefusal('the key ' . kit_show($path) . ' cannot be read');
    }
    $others = kit_key_readable_by_others($mode, PHP_OS_FAMILY);
    if ($others === null) {
        fwrite(STDERR, "sign.php: file permissions cannot be checked on this system; make sure that only you can read the key\n");
    } elseif ($others) {
        throw new KitRefusal(sprintf('the key %s may be read by others (mode %o); chmod 600 it, '
            . 'or make a new key if others may have read it', kit_show($path), $mode & 0777));
    }
    $key = @openssl_pkey_get_private((string) @file_get_contents($path));
    $details = $key === false ? false : openssl_pkey_get_details($key);
    if ($details === false || ($details['ec']['curve_name'] ?? '') !== 'prime256v1') {
        throw new KitRefusal('the key ' . kit_show($path) . ' is not a P-256 private key');
    }
    return $key;
}

// X then Y, 32 bytes each, as 128 lower-case hex digits.
function kit_signing_public_hex(OpenSSLAsymmetricKey $key): string
{
    $ec = openssl_pkey_get_details($key)['ec'];
    return bin2hex(str_pad($ec['x'], 32, "\0", STR_PAD_LEFT) . str_pad($ec['y'], 32, "\0", STR_PAD_LEFT));
}

// The signature line for $body: PHP gives a DER SEQUENCE of the INTEGERs r
// and s; the launcher takes them as 32 big-endian bytes each.
function kit_signature_line(OpenSSLAsymmetricKey $key, string $body): string
{
    if (!openssl_sign($body, $der, $key, OPENSSL_ALGO_SHA256)) {
        throw new KitRefusal('signing failed: ' . (string) openssl_error_string());
    }
    $raw = '';
    $at = 2;
    for ($i = 0; $i < 2; $i++) {
        $length = ord($der[$at + 1]);
        $raw .= str_pad(ltrim(substr($der, $at + 2, $length), "\0"), 32, "\0", STR_PAD_LEFT);
        $at += 2 + $length;
    }
    if ($der[0] !== "\x30" || strlen($raw) !== 64) {
        throw new KitRefusal('signing gave an unexpected signature');
    }
    return 'signature ' . bin2hex($raw) . "\n";
}

// CRC-32 and SHA-256 of a file in one reading.
function kit_file_digests(string $name, string $full): array
{
    $file = @fopen($full, 'rb');
    if ($file === false) {
        throw new KitRefusal(kit_show($name) . ' cannot be read');
    }
    $crc = hash_init('crc32b');
    $sha = hash_init('sha256');
    while (!feof($file)) {
        $chunk = fread($file, 1 << 20);
        if ($chunk === false) {
            fclose($file);
            throw new KitRefusal(kit_show($name) . ' cannot be read');
        }
        hash_update($crc, $chunk);
        hash_update($sha, $chunk);
    }
    fclose($file);
    return [(int) hexdec(hash_final($crc)), hash_final($sha)];
}

function kit_signed_head(string $kind, int $sequence): string
{
    return KIT_SIGNED_FORMAT . "kind $kind\nsequence $sequence\n";
}

function kit_signed_manifest(OpenSSLAsymmetricKey $key, string $root, array $delete, int $sequence): string
{
    $files = kit_list_file_set($root);
    $body = kit_signed_head('manifest', $sequence);
    foreach ($files as $name => $full) {
        $size = @filesize($full);
        if ($size === false) {
            throw new KitRefusal(kit_show($name) . ' cannot be read');
        }
        if ($size > KIT_MAX_FILE_SIZE) {
            throw new KitRefusal(kit_show($name) . ' is 4 GiB or larger, beyond the manifest\'s 32-bit sizes');
        }
        [$crc, $sha] = kit_file_digests($name, $full);
        $body .= "file $name|$crc|$size|$sha\n";
    }
    foreach (kit_delete_entries($files, $delete) as $name) {
        $body .= "delete $name\n";
    }
    return kit_signed_document($key, $body, 'the signed manifest');
}

function kit_signed_server_list(OpenSSLAsymmetricKey $key, string $source, int $sequence): string
{
    $body = kit_signed_head('serverlist', $sequence);
    foreach (kit_server_lines($source) as $line) {
        $body .= "server $line\n";
    }
    return kit_signed_document($key, $body, 'the signed server list');
}

function kit_signed_document(OpenSSLAsymmetricKey $key, string $body, string $what): string
{
    $document = $body . kit_signature_line($key, $body);
    if (strlen($document) > KIT_SIGNED_LIMIT) {
        throw new KitRefusal("$what would be " . strlen($document) . ' bytes; the launcher reads '
            . KIT_SIGNED_LIMIT);
    }
    return $document;
}

// The sequence of a signed document, 0 when the text is none.
function kit_signed_sequence(string $text): int
{
    return preg_match('/\A' . preg_quote(KIT_SIGNED_FORMAT, '/') . 'kind [a-z]+\nsequence ([1-9][0-9]{0,17})\n/',
        $text, $m) === 1 ? (int) $m[1] : 0;
}

// The next sequence: the time of signing in seconds, or one more than the
// last signed document in $folder when that is not less (two signings in one
// second, or a clock set back). Launchers refuse a lower sequence than one
// they have accepted, so it must never go back.
function kit_next_sequence(string $folder, int $now): int
{
    $last = 0;
    foreach (glob($folder . '/*.txt') ?: [] as $file) {
        $last = max($last, kit_signed_sequence((string) @file_get_contents($file)));
    }
    return max($now, $last + 1);
}
