<?php
// The version query. product=XKVD (the editor): newest version, the updater's
// query address or "~~~" and a download page, then the notes.
// product=XKV / XKVB with links=true (the updater, stable / beta channel): the
// files' base address, the links and the operations, or the bare marker when
// the caller's version is already the newest.
require __DIR__ . '/../../../lib/service.php';

$product = $_GET['product'] ?? '';
$links = ($_GET['links'] ?? '') === 'true';
if ($product === 'XKVD') {
    $channel = 'stable';
} elseif ($product === 'XKV' || $product === 'XKVB') {
    $channel = $product === 'XKVB' ? 'beta' : 'stable';
} else {
    refuse(400, 'unknown product');
}
$release = read_release($channel);
if ($release === null) refuse(503, 'no release published');

if ($product === 'XKVD' || !$links) {
    $second = $release['page'] !== '' ? '~~~' . $release['page']
                                      : services_address() . 'get_version.php?product=XKV&links=true';
    send_reply(REPLY_MARKER . $release['version'] . "\n" . $second . "\n" . implode("\n", $release['notes']));
}

$have = $_GET['version'] ?? '';
if (preg_match('/^[0-9]+(\.[0-9]+)*$/', $have) && version_compare($have, $release['version'], '>=')) {
    send_reply(REPLY_MARKER);
}
if ($release['page'] !== '') {
    send_reply(REPLY_MARKER . '~~~' . $release['page'] . "\n");
}
$base = services_address() . 'files.php/' . $channel . '/' . $release['version'] . '/';
$reply = REPLY_MARKER . $base . "\n";
foreach ($release['files'] as $file) {
    $reply .= $base . str_replace('%2F', '/', rawurlencode($file)) . LINK_SUFFIX . "\n";
}
foreach ($release['operations'] as [$first, $second]) {
    $reply .= '*' . $first . "\n*" . $second . "\n";
}
send_reply($reply);
