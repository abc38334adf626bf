<?php
// Serves the files a published release lists and their signatures (made by
// scripts/sign-release), and nothing else:
// files.php/<channel>/<version>/<path>.file and <path>.file.sig
require __DIR__ . '/../../../lib/service.php';

$path = $_SERVER['PATH_INFO'] ?? '';
if (!preg_match('#^/(stable|beta)/([0-9.]+)/(.+)\.file(\.sig)?$#', $path, $m)) refuse(404, 'not found');
[, $channel, $version, $file] = $m;
$signature = isset($m[4]) && $m[4] === '.sig';
$release = read_release($channel);
// Only a listed file of the current release: no path from the query ever
// reaches the file system unchecked.
if ($release === null || $release['version'] !== $version || !in_array($file, $release['files'], true)) {
    refuse(404, 'not found');
}
$target = data_dir() . '/' . $channel . '/' . $version . '/' . $file . ($signature ? '.sig' : '');
if (!is_file($target)) refuse(404, 'not found');
header('Content-Type: application/octet-stream');
header('Content-Length: ' . filesize($target));
readfile($target);
