<?php
// Shared by the update service's scripts: where the release descriptions
// live, reading them, and the public base address of the service.

const REPLY_MARKER = "7315-2048-9962-4170-3385-6621";
// Links end with this 5-character suffix; the updater drops it for the
// local file name.
const LINK_SUFFIX = ".file";

function data_dir(): string {
    $dir = getenv('ORBIFORM_SERVICE_DATA');
    return ($dir !== false && $dir !== '') ? rtrim($dir, '/') : dirname(__DIR__) . '/data';
}

// The address clients reach this service at. A maker behind a proxy sets
// ORBIFORM_SERVICE_URL; otherwise the Host header, if it is a plain host[:port].
function base_address(): string {
    $url = getenv('ORBIFORM_SERVICE_URL');
    if ($url !== false && $url !== '') return rtrim($url, '/');
    $host = $_SERVER['HTTP_HOST'] ?? '';
    if (!preg_match('/^[A-Za-z0-9.\-]+(:[0-9]{1,5})?$/', $host)) {
        $host = $_SERVER['SERVER_NAME'] . ':' . $_SERVER['SERVER_PORT'];
    }
    $scheme = (!empty($_SERVER['HTTPS']) && $_SERVER['HTTPS'] !== 'off') ? 'https' : 'http';
    return $scheme . '://' . $host;
}

function services_address(): string {
    return base_address() . '/Rodizozarizor/AutoServices/';
}

// A relative file path of a release: segments of safe characters, never
// "." or "..", so it cannot leave the release's folder.
function safe_relative_path(string $path): bool {
    if ($path === '' || strlen($path) > 260) return false;
    foreach (explode('/', $path) as $segment) {
        if ($segment === '' || $segment === '.' || $segment === '..') return false;
        if (!preg_match('/^[A-Za-z0-9._\- ]+$/', $segment)) return false;
    }
    return true;
}

// The release description of a channel ("stable" or "beta"), or null when
// there is none. Format: see README ("Publishing a release").
function read_release(string $channel): ?array {
    $file = data_dir() . '/' . $channel . '.release';
    if (!is_file($file)) return null;
    $release = ['version' => '', 'page' => '', 'notes' => [], 'files' => [], 'operations' => []];
    foreach (file($file, FILE_IGNORE_NEW_LINES) as $raw) {
        $line = rtrim($raw, "\r");
        if ($line === '' || $line[0] === '#') continue;
        $colon = strpos($line, ':');
        if ($colon === false) return null;
        $key = trim(substr($line, 0, $colon));
        $value = trim(substr($line, $colon + 1));
        switch ($key) {
            case 'version': $release['version'] = $value; break;
            case 'page': $release['page'] = $value; break;
            case 'note': $release['notes'][] = $value; break;
            case 'file':
                if (!safe_relative_path($value)) return null;
                $release['files'][] = $value;
                break;
            case 'operation':
                $parts = explode('|', $value, 2);
                $release['operations'][] = [trim($parts[0]), trim($parts[1] ?? '')];
                break;
            default: return null;
        }
    }
    if (!preg_match('/^[0-9]+(\.[0-9]+)*$/', $release['version'])) return null;
    return $release;
}

function refuse(int $status, string $text): void {
    http_response_code($status);
    header('Content-Type: text/plain; charset=utf-8');
    echo $text, "\n";
    exit;
}

// The programs read replies in the ANSI code page (Windows-1252 on the
// systems they target); descriptions are UTF-8.
function send_reply(string $text): void {
    header('Content-Type: text/plain; charset=windows-1252');
    $ansi = iconv('UTF-8', 'CP1252//TRANSLIT', $text);
    echo $ansi === false ? $text : $ansi;
    exit;
}
