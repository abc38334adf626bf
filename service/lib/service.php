<?php
// Shared by the update service's scripts: where the release descriptions
// live, reading them, the public base address of the service, and the
// feedback log with its rate limit.

const REPLY_MARKER = "7315-2048-9962-4170-3385-6621";
// Links end with this 5-character suffix; the updater drops it for the
// local file name.
const LINK_SUFFIX = ".file";

// A setting from the web server: PHP's built-in server passes the process
// environment, php-fpm the fastcgi_param lines of nginx. A client cannot set
// either (its headers arrive as HTTP_*).
function setting(string $name): string {
    $value = $_SERVER[$name] ?? getenv($name);
    return is_string($value) ? $value : '';
}

function data_dir(): string {
    $dir = setting('ORBIFORM_SERVICE_DATA');
    return $dir !== '' ? rtrim($dir, '/') : dirname(__DIR__) . '/data';
}

// The address clients reach this service at, as the maker configured it
// (ORBIFORM_SERVICE_URL). Never the request's Host header: whoever sends the
// request chooses that, and the links would lead where they like.
function base_address(): string {
    $url = setting('ORBIFORM_SERVICE_URL');
    if (!preg_match('#^https?://[A-Za-z0-9.\-]+(:[0-9]{1,5})?/?$#', $url)) {
        refuse(503, 'service address not configured');
    }
    return rtrim($url, '/');
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

// At most this many feedback requests a minute from one address (refusals
// count too), and the log is rotated at this size, the last few kept.
function feedback_per_minute(): int {
    $n = (int)setting('ORBIFORM_FEEDBACK_PER_MINUTE');
    return $n > 0 ? $n : 5;
}
function feedback_log_bytes(): int {
    $n = (int)setting('ORBIFORM_FEEDBACK_LOG_BYTES');
    return $n > 0 ? $n : 1024 * 1024;
}
const FEEDBACK_LOGS_KEPT = 3;
// Beyond this many addresses in one minute the record starts afresh rather
// than grow without bound.
const RATE_MAX_ADDRESSES = 10000;

// Runs $work while holding the service's lock file, so that concurrent
// requests neither lose counts nor interleave a rotation.
function with_lock(string $name, callable $work) {
    $lock = fopen(data_dir() . '/' . $name . '.lock', 'c');
    if ($lock === false || !flock($lock, LOCK_EX)) refuse(500, 'not stored');
    try {
        return $work();
    } finally {
        flock($lock, LOCK_UN);
        fclose($lock);
    }
}

// Counts a request from $address; false when it is one too many this minute.
function feedback_allowed(string $address): bool {
    return with_lock('feedback-rate', function () use ($address) {
        $file = data_dir() . '/feedback-rate.json';
        $now = time();
        $seen = is_file($file) ? json_decode((string)file_get_contents($file), true) : [];
        if (!is_array($seen) || count($seen) > RATE_MAX_ADDRESSES) $seen = [];
        foreach ($seen as $who => $times) {
            $seen[$who] = array_values(array_filter((array)$times, fn($t) => is_int($t) && $t > $now - 60));
            if (!$seen[$who]) unset($seen[$who]);
        }
        $mine = $seen[$address] ?? [];
        $allowed = count($mine) < feedback_per_minute();
        if ($allowed) $seen[$address] = array_merge($mine, [$now]);
        file_put_contents($file, json_encode($seen));
        return $allowed;
    });
}

// Appends one line to the feedback log, rotating it first when it would
// grow past its size: feedback.log.1 is the newest old one.
function append_feedback(string $line): bool {
    return with_lock('feedback', function () use ($line) {
        $log = data_dir() . '/feedback.log';
        clearstatcache();
        if (is_file($log) && filesize($log) + strlen($line) > feedback_log_bytes()) {
            for ($i = FEEDBACK_LOGS_KEPT - 1; $i >= 1; --$i) {
                if (is_file("$log.$i")) rename("$log.$i", "$log." . ($i + 1));
            }
            rename($log, "$log.1");
        }
        return file_put_contents($log, $line, FILE_APPEND) !== false;
    });
}
