<?php
// Appends one feedback request to the log, one JSON object a line, so that
// no text can add lines or fields of its own; a few a minute from one
// address at most, the log rotated at a size (lib/service.php).
require __DIR__ . '/../../../lib/service.php';

const MAX_TEXT_BYTES = 2000;  // above the editor's own cap of 1500
const MAX_MAIL_BYTES = 200;
const MAX_VERSION_BYTES = 40;

// Every request counts, refused ones too: probing costs as much as sending.
if (!feedback_allowed($_SERVER['REMOTE_ADDR'] ?? '')) refuse(429, 'too many requests');

$text = $_GET['text'] ?? null;
$mail = $_GET['mail'] ?? '';
$version = $_GET['version'] ?? '';
$product = $_GET['product'] ?? '';
if (!is_string($text) || !is_string($mail) || !is_string($version) || !is_string($product)) refuse(400, 'bad request');
if ($text === '') refuse(400, 'no text');
if (strlen($text) > MAX_TEXT_BYTES || strlen($mail) > MAX_MAIL_BYTES || strlen($version) > MAX_VERSION_BYTES
    || strlen($product) > 10) {
    refuse(413, 'too long');
}
if (!preg_match('//u', $text . $mail . $version . $product)) refuse(400, 'not UTF-8');

$entry = json_encode([
    'time' => gmdate('Y-m-d\TH:i:s\Z'),
    'from' => $_SERVER['REMOTE_ADDR'] ?? '',
    'product' => $product,
    'version' => $version,
    'mail' => $mail,
    'text' => $text,
], JSON_UNESCAPED_UNICODE | JSON_UNESCAPED_SLASHES);
if (!append_feedback($entry . "\n")) refuse(500, 'not stored');
header('Content-Type: text/plain; charset=utf-8');
echo "OK\n";
