<?php
// The portal's starting page inside the launcher (/tabs.php?lang=...). It
// defines the four functions the launcher calls: authorize() when the page
// has loaded, get_access_mid(), get_access_code() and get_lang() when the
// window closes. The launcher keeps the returned values, gives the access
// pair to the game as its clan password and opens this page next time with
// ?lang= set to get_lang().
//
// The launcher's browser control may run an old engine (Internet Explorer 8
// level script): the script below uses var and function only, no JSON
// object, no addEventListener, no Array indexOf or String trim. Only "#"
// links and this page's own form stay inside the launcher window; every
// other link opens in the player's browser.

declare(strict_types=1);

require_once __DIR__ . '/../lib/kit.php';

// A broken configuration or accounts file ends the page before a byte of it
// is sent: HTTP 500, not half a page.
try {
    kit_config();
    require_once __DIR__ . '/../accounts.php';
} catch (KitRefusal $refusal) {
    kit_refuse_page('tabs.php', $refusal);
    return;
} catch (Throwable $error) {
    kit_refuse_page('tabs.php', new KitRefusal('the accounts file is broken', $error->getFile() . ': '
        . $error->getMessage() . ' on line ' . $error->getLine()));
    return;
}

const KIT_TEXTS = [
    'en' => [
        'name' => 'English', 'news' => 'News', 'servers' => 'Servers', 'access' => 'Sign in',
        'mid' => 'Access mid', 'code' => 'Access code', 'submit' => 'Sign in', 'language' => 'Language',
        'signed' => 'Signed in as ', 'refused' => 'These access values were not accepted.',
        'any' => 'This portal still runs the kit\'s default sign-in: it accepts any values that are not empty.',
        'welcome' => 'Welcome to the community portal. The launcher keeps your game up to date.',
    ],
    'ru' => [
        'name' => 'Русский', 'news' => 'Новости', 'servers' => 'Серверы', 'access' => 'Вход',
        'mid' => 'Access mid', 'code' => 'Access code', 'submit' => 'Войти', 'language' => 'Язык',
        'signed' => 'Вход выполнен: ', 'refused' => 'Эти данные не приняты.',
        'any' => 'Портал работает со входом по умолчанию: принимаются любые непустые значения.',
        'welcome' => 'Добро пожаловать на портал сообщества. Лаунчер обновляет вашу игру.',
    ],
    'de' => [
        'name' => 'Deutsch', 'news' => 'Neuigkeiten', 'servers' => 'Server', 'access' => 'Anmelden',
        'mid' => 'Access mid', 'code' => 'Access code', 'submit' => 'Anmelden', 'language' => 'Sprache',
        'signed' => 'Angemeldet als ', 'refused' => 'Diese Zugangsdaten wurden nicht angenommen.',
        'any' => 'Dieses Portal nutzt noch die Standard-Anmeldung des Kits: jeder nicht leere Wert gilt.',
        'welcome' => 'Willkommen im Portal der Community. Der Launcher hält dein Spiel aktuell.',
    ],
    'pt-BR' => [
        'name' => 'Português (Brasil)', 'news' => 'Notícias', 'servers' => 'Servidores', 'access' => 'Entrar',
        'mid' => 'Access mid', 'code' => 'Access code', 'submit' => 'Entrar', 'language' => 'Idioma',
        'signed' => 'Conectado como ', 'refused' => 'Esses dados de acesso não foram aceitos.',
        'any' => 'Este portal ainda usa o acesso padrão do kit: aceita quaisquer valores não vazios.',
        'welcome' => 'Bem-vindo ao portal da comunidade. O launcher mantém seu jogo atualizado.',
    ],
];

function h(string $text): string
{
    return htmlspecialchars($text, ENT_QUOTES | ENT_SUBSTITUTE, 'UTF-8');
}

// A value for the page's script: a string literal that cannot end the
// script element or the string early.
function js($value): string
{
    return json_encode($value, JSON_HEX_TAG | JSON_HEX_AMP | JSON_HEX_APOS | JSON_HEX_QUOT | JSON_INVALID_UTF8_SUBSTITUTE);
}

// The language the launcher asked for ("ru", "RU", "pt-br", "de-AT") mapped
// onto one this page has; English for anything else.
function kit_pick_language($requested): string
{
    $want = strtolower(is_string($requested) ? $requested : '');
    foreach (array_keys(KIT_TEXTS) as $lang) {
        if (strtolower($lang) === $want) {
            return $lang;
        }
    }
    foreach (array_keys(KIT_TEXTS) as $lang) {
        if (explode('-', strtolower($lang))[0] === explode('-', $want)[0]) {
            return $lang;
        }
    }
    return 'en';
}

// The access values the launcher can carry: cookie.dat holds 63 bytes of
// each, and the game reads them as one clan password.
function kit_usable_access_value(string $value): bool
{
    return $value !== '' && strlen($value) <= KIT_MAX_ACCESS_VALUE && preg_match('/[\x00-\x1f\x7f]/', $value) !== 1;
}

// The servers of the list the launcher fetches, for the page's servers section.
function kit_server_names(): array
{
    try {
        $text = @file_get_contents(kit_setting(kit_config(), 'server_list'));
    } catch (KitRefusal $refusal) {
        return [];
    }
    $servers = [];
    foreach (array_slice(explode("\r\n", (string) $text), 1) as $line) {
        $parts = explode('|', $line, 2);
        if (count($parts) === 2) {
            $servers[] = $parts;
        }
    }
    return $servers;
}

$lang = kit_pick_language($_POST['lang'] ?? $_GET['lang'] ?? '');
$text = KIT_TEXTS[$lang];
$signedMid = '';
$signedCode = '';
$message = '';
$refused = false;
if (($_SERVER['REQUEST_METHOD'] ?? 'GET') === 'POST') {
    $mid = is_string($_POST['mid'] ?? null) ? $_POST['mid'] : '';
    $code = is_string($_POST['code'] ?? null) ? $_POST['code'] : '';
    if (kit_usable_access_value($mid) && kit_usable_access_value($code) && kit_check_account($mid, $code)) {
        $signedMid = $mid;
        $signedCode = $code;
        $message = $text['signed'] . $mid;
    } else {
        $refused = true;
        $message = $text['refused'];
    }
}
header('Content-Type: text/html; charset=utf-8');
header('Cache-Control: no-store');
?>
<!DOCTYPE html>
<html lang="<?= h($lang) ?>">
<head>
<meta http-equiv="X-UA-Compatible" content="IE=edge">
<meta http-equiv="Content-Type" content="text/html; charset=utf-8">
<title>Community portal</title>
<style type="text/css">
body { margin: 0; background: #10131a; color: #d8dde8; font: 13px Tahoma, Verdana, sans-serif; }
a { color: #7fb8ff; }
#top { background: #1c2230; padding: 10px 16px; border-bottom: 2px solid #c8a040; }
#top a { margin-right: 14px; text-decoration: none; }
.box { background: #181d28; border: 1px solid #2a3246; padding: 10px 12px; margin: 12px 16px; }
.box h2 { margin: 0 0 8px 0; font-size: 15px; color: #f0d070; }
label { display: inline-block; width: 110px; }
#status { margin-top: 8px; color: #9fd89f; }
#status.error { color: #ff9090; }
.note { color: #c8a040; }
</style>
<script type="text/javascript">
var kitTexts = <?= js(KIT_TEXTS) ?>;
var kitLang = <?= js($lang) ?>;
// The access pair the launcher keeps: only a pair the portal accepted
// (signed in here, or stored by the launcher and handed over by authorize).
var kitMid = <?= js($signedMid) ?>;
var kitCode = <?= js($signedCode) ?>;

function kitElement(id) {
  return document.getElementById(id);
}

function kitString(value) {
  return (value === null || value === undefined) ? "" : String(value);
}

// Text nodes only: nothing the player or the launcher sends becomes markup.
function kitSetText(id, text) {
  var element = kitElement(id);
  while (element.firstChild) {
    element.removeChild(element.firstChild);
  }
  element.appendChild(document.createTextNode(text));
}

function kitApplyLanguage(lang) {
  var texts = kitTexts[lang];
  var ids = ["news", "servers", "access", "mid", "code", "language", "welcome"];
  var i;
  if (!texts) {
    return;
  }
  kitLang = lang;
  for (i = 0; i < ids.length; i++) {
    kitSetText("text-" + ids[i], texts[ids[i]]);
  }
  kitElement("submit").value = texts.submit;
  kitElement("form-lang").value = lang;
  if (kitElement("text-any")) {
    kitSetText("text-any", texts.any);
  }
  if (kitMid !== "") {
    kitSetText("status", texts.signed + kitMid);
  }
}

function get_access_mid() {
  return kitMid;
}

function get_access_code() {
  return kitCode;
}

function get_lang() {
  return kitLang;
}

// The stored pair (empty on a first start) and the machine identifier. The
// identifier goes to authorize.php for the sign-in log; the access values
// stay on this page.
function authorize(mid, code, machineId) {
  var report;
  mid = kitString(mid);
  code = kitString(code);
  machineId = kitString(machineId);
  if (kitMid === "" && mid !== "" && code !== "") {
    kitMid = mid;
    kitCode = code;
    kitElement("status").className = "";
    kitSetText("status", kitTexts[kitLang].signed + mid);
  }
  if (/^[0-9a-f]{32}$/.test(machineId)) {
    report = new Image();
    report.src = "authorize.php?machine=" + machineId + "&t=" + new Date().getTime();
  }
  return true;
}

window.onload = function () {
  var select = kitElement("lang");
  select.onchange = function () {
    kitApplyLanguage(select.options[select.selectedIndex].value);
  };
};
</script>
</head>
<body>
<div id="top">
  <a href="#news" id="text-news"><?= h($text['news']) ?></a>
  <a href="#servers" id="text-servers"><?= h($text['servers']) ?></a>
  <a href="#access" id="text-access"><?= h($text['access']) ?></a>
</div>

<div class="box">
  <a name="news"></a>
  <h2><?= h($text['news']) ?></h2>
  <p id="text-welcome"><?= h($text['welcome']) ?></p>
</div>

<div class="box">
  <a name="servers"></a>
  <h2><?= h($text['servers']) ?></h2>
  <ul>
<?php foreach (kit_server_names() as [$address, $name]): ?>
    <li><?= h($name) ?> &ndash; <?= h($address) ?></li>
<?php endforeach; ?>
  </ul>
</div>

<div class="box">
  <a name="access"></a>
  <form method="post" action="tabs.php?lang=<?= h(rawurlencode($lang)) ?>#access">
    <label for="mid" id="text-mid"><?= h($text['mid']) ?></label>
    <input type="text" id="mid" name="mid" maxlength="<?= KIT_MAX_ACCESS_VALUE ?>" autocomplete="off"><br>
    <label for="code" id="text-code"><?= h($text['code']) ?></label>
    <input type="password" id="code" name="code" maxlength="<?= KIT_MAX_ACCESS_VALUE ?>" autocomplete="off"><br>
    <label for="lang" id="text-language"><?= h($text['language']) ?></label>
    <select id="lang">
<?php foreach (KIT_TEXTS as $option => $texts): ?>
      <option value="<?= h($option) ?>"<?= $option === $lang ? ' selected' : '' ?>><?= h($texts['name']) ?></option>
<?php endforeach; ?>
    </select><br>
    <input type="hidden" id="form-lang" name="lang" value="<?= h($lang) ?>">
    <label></label><input type="submit" id="submit" value="<?= h($text['submit']) ?>">
  </form>
  <div id="status"<?= $refused ? ' class="error"' : '' ?>><?= h($message) ?></div>
<?php if (KIT_ACCEPTS_ANY_ACCOUNT): ?>
  <p class="note" id="text-any"><?= h($text['any']) ?></p>
<?php endif; ?>
</div>
</body>
</html>
