<?php
// Serves a channel's current release manifest and its signature, both made
// by scripts/sign-release manifest, from the channel's data folder:
// manifest.php/<channel> and manifest.php/<channel>.sig
require __DIR__ . '/../../../lib/service.php';

$path = $_SERVER['PATH_INFO'] ?? '';
if (!preg_match('#^/(stable|beta)(\.sig)?$#', $path, $m)) refuse(404, 'not found');
$channel = $m[1];
$signature = isset($m[2]) && $m[2] === '.sig';
$release = read_release($channel);
// A release offered only as a download page installs nothing: no manifest.
if ($release === null || $release['page'] !== '') refuse(404, 'not found');
$target = data_dir() . '/' . $channel . '/' . $release['version'] . '.manifest' . ($signature ? '.sig' : '');
if (!is_file($target)) refuse(404, 'not found');
header('Content-Type: ' . ($signature ? 'application/octet-stream' : 'text/plain; charset=utf-8'));
header('Content-Length: ' . filesize($target));
// Always the current one: a cache must not hand out an older manifest.
header('Cache-Control: no-cache');
readfile($target);
