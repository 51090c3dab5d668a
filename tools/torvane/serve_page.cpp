#include "tools/torvane/serve_page.h"

namespace torvane {

const char* const kServePagePolicy =
    "default-src 'none'; script-src 'self'; style-src 'self' 'unsafe-inline'; connect-src 'self'; frame-src 'self'; "
    "img-src 'self'; base-uri 'none'; form-action 'none'; frame-ancestors 'none'";

const char* const kServePageHtml = R"html(<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<title>torvane serve</title>
<style>
body{margin:0;font:14px system-ui,sans-serif;color:#222;background:#f4f4f2}
header{display:flex;flex-wrap:wrap;gap:10px 16px;align-items:center;padding:10px 14px;background:#2d3e50;color:#fff}
header b{font-size:15px;margin-right:6px}
header label{display:flex;gap:5px;align-items:center}
select{font:inherit;max-width:16em}
#status{margin-left:auto;font-size:12px;opacity:.8}
main{display:grid;grid-template-columns:minmax(0,1fr) 330px;gap:12px;padding:12px 14px}
section,aside{background:#fff;border:1px solid #d6d6d0;border-radius:4px;padding:10px}
h2{font-size:13px;text-transform:uppercase;letter-spacing:.04em;color:#566;margin:0 0 8px}
#error{display:none;white-space:pre-wrap;background:#fdecea;color:#8a1c12;border:1px solid #e3a59f;border-radius:3px;
  padding:8px;margin-bottom:8px;font-family:monospace}
#error.shown{display:block}
#preview{width:100%;height:460px;border:1px solid #ccc;background:#fff}
#findings,#tree{margin:0;padding:0;list-style:none;font-family:monospace;font-size:12.5px}
#findings li{padding:3px 0;border-bottom:1px dotted #ddd}
#findings .warning{color:#8a4b00}
#findings .clean{color:#2b6e2b}
#tree li{padding:1px 0;white-space:pre}
#tree .saved{color:#1d5fa0}
#tree .html{font-weight:bold}
.tree{grid-column:1 / span 2}
</style>
</head>
<body>
<header>
<b>torvane serve</b>
<label>Template <select id="template"></select></label>
<label>Message <select id="message"></select></label>
<label><select id="kind"><option value="reply">reply</option><option value="forward">forward</option></select></label>
<label>Charset <select id="charset"></select></label>
<label>Language <select id="language"></select></label>
<label>Time zone <select id="zone"></select></label>
<span id="status">starting</span>
</header>
<main>
<section>
<h2>Rendering</h2>
<div id="error" role="alert"></div>
<iframe id="preview" name="preview" sandbox="" title="the rendering"></iframe>
</section>
<aside>
<h2>Check</h2>
<ul id="findings"></ul>
</aside>
<section class="tree">
<h2>MIME tree of the message</h2>
<ul id="tree"></ul>
</section>
</main>
<script src="/app.js"></script>
</body>
</html>
)html";

const char* const kServePageScript = R"js('use strict';
const $ = (id) => document.getElementById(id);
let generation = -1;
let renders = 0;

async function getJson(url) {
  const response = await fetch(url, {cache: 'no-store'});
  if (!response.ok) throw new Error(url + ': ' + response.status);
  return response.json();
}

function item(text, className) {
  const li = document.createElement('li');
  li.textContent = text;
  if (className) li.className = className;
  return li;
}

// Fills a list, keeping the chosen value where it is still offered.
function fill(select, options, preferred) {
  const kept = select.value || preferred;
  select.replaceChildren(...options.map(([value, text]) => {
    const option = document.createElement('option');
    option.value = value;
    option.textContent = text;
    return option;
  }));
  if (options.some(([value]) => value === kept)) select.value = kept;
}

async function loadChoices() {
  const choices = await getJson('/api/choices');
  fill($('template'), choices.templates.map((n) => [n, n]),
       choices.templates.find((n) => n.endsWith('classic/torvane.tml')) || choices.templates[0]);
  fill($('message'), choices.messages.map((n) => [n, n]),
       choices.messages.find((n) => n.endsWith('html-with-image.eml')) || choices.messages[0]);
  fill($('charset'), [['', 'Auto'], ...choices.charsets.map((n) => [n, n])]);
  fill($('language'), [['', 'as the settings say'], ...choices.languages.map((n) => [n, n])]);
  fill($('zone'), choices.zones.map((z) => [z.rule, z.name]));
  $('zone').disabled = choices.zones.length < 2;
  return choices.generation;
}

function showCheck(check) {
  const list = $('findings');
  if (!check) {
    list.replaceChildren(item('the template cannot be used (see the error)', 'warning'));
    return;
  }
  const items = check.warnings.map((w) => item('line ' + w.line + ': ' + w.text + ' - ' + w.note, 'warning'));
  if (!check.hasTextElement) {
    items.push(item('no element with id "torvane_text_id": the caret is not placed in the reply', 'warning'));
  }
  if (!items.length) items.push(item('no warnings', 'clean'));
  items.push(item(check.placeholders.length + ' placeholders: ' +
                  check.placeholders.map((p) => p.text + ' (line ' + p.line + ')').join(', ')));
  list.replaceChildren(...items);
}

function showTree(tree) {
  const list = $('tree');
  if (!tree) return;
  list.replaceChildren(...tree.parts.map((p) => {
    let text = '  '.repeat(p.depth) + '#' + p.index + ' ' +
               (p.type || p.subtype ? p.type + '/' + p.subtype : '(no type)');
    if (p.contentId) text += ' cid=<' + p.contentId + '>';
    if (p.attachment) text += ' attachment';
    if (p.inline) text += ' inline';
    const li = item(text, p.index === tree.htmlPart ? 'html' : '');
    if (p.savedAs !== null) {
      const saved = document.createElement('span');
      saved.className = 'saved';
      saved.textContent = '  saved as "' + p.savedAs + '"';
      li.append(saved);
    }
    return li;
  }));
}

async function render() {
  const mine = ++renders;
  const query = new URLSearchParams({
    template: $('template').value, message: $('message').value,
    forward: $('kind').value === 'forward' ? '1' : '0', charset: $('charset').value,
    language: $('language').value, zone: $('zone').value});
  let result;
  try {
    result = await getJson('/api/render?' + query);
  } catch (failure) {
    result = {error: String(failure.message), check: null, mime: null, frame: null};
  }
  if (mine !== renders) return;
  // A rendering that failed leaves the last good one in the frame.
  $('error').textContent = result.error || '';
  $('error').classList.toggle('shown', Boolean(result.error));
  if (result.frame) $('preview').src = result.frame;
  showCheck(result.check);
  showTree(result.mime);
  $('status').textContent = 'rendered ' + new Date().toLocaleTimeString();
  document.body.dataset.renders = String(mine);
}

// Waits for the server to see a saved file, then renders again.
async function watch() {
  for (;;) {
    try {
      const seen = await getJson('/api/wait?since=' + generation);
      if (seen.generation !== generation) {
        generation = await loadChoices();
        await render();
      }
    } catch (failure) {
      $('status').textContent = 'the server does not answer';
      await new Promise((resolve) => setTimeout(resolve, 1000));
    }
  }
}

async function start() {
  generation = await loadChoices();
  for (const id of ['template', 'message', 'kind', 'charset', 'language', 'zone']) {
    $(id).addEventListener('change', render);
  }
  await render();
  watch();
}

start();
)js";

}  // namespace torvane
