// The report as one HTML page, for a maker's question "which model fails
// where?". The page carries the report's JSON, as --format json writes it,
// and draws everything from it with its own script: nothing is evaluated
// twice, and nothing is loaded from elsewhere, so that the page opens from
// a CI artefact or a mail.
#include <set>
#include <sstream>

#include "tools/setup_check/CheckReport.h"
#include "tools/setup_check/ReportText.h"
#include "tools/setup_check/RuleDocs.h"

namespace setwell::check {
namespace {

// JSON inside a <script> element: "</" would end the element early, and
// "<!--" would open a comment the parser then looks for.
std::string ScriptSafe(const std::string& json) {
  std::string out;
  out.reserve(json.size());
  for (std::size_t i = 0; i < json.size(); ++i) {
    if (json[i] == '<') {
      out += "\\u003c";
    } else {
      out += json[i];
    }
  }
  return out;
}

constexpr const char* kStyle = R"css(
body { font: 14px/1.4 system-ui, sans-serif; margin: 1.5em; color: #1b1b1b; background: #fff; }
h1 { font-size: 1.4em; margin: 0 0 .2em; } h2 { font-size: 1.15em; margin: 1.6em 0 .5em; }
.summary-line { color: #444; margin-bottom: 1em; }
.counts span { display: inline-block; margin-right: 1em; padding: .1em .5em; border-radius: 3px; }
table { border-collapse: collapse; } th, td { border: 1px solid #ccc; padding: 2px 6px; }
th { background: #f3f3f3; font-weight: 600; text-align: left; }
td.cell { text-align: center; min-width: 5.5em; cursor: default; }
td.passed { background: #d8f0d8; color: #225522; }
td.failed { background: #f6c9c9; color: #7a1010; cursor: pointer; font-weight: 600; }
td.second { background: #fbe3c0; color: #7a4a00; cursor: pointer; font-weight: 600; }
td.absent { background: #fafafa; color: #aaa; }
td.selected { outline: 3px solid #1c4f9c; outline-offset: -3px; }
#summary td.model a { color: inherit; }
details.model { margin: .6em 0; border: 1px solid #ddd; border-radius: 4px; padding: .3em .6em; }
details.model > summary { cursor: pointer; font-weight: 600; }
.badge { font-size: .85em; padding: 0 .4em; border-radius: 3px; margin-left: .4em; }
.badge.bad { background: #f6c9c9; color: #7a1010; } .badge.good { background: #d8f0d8; color: #225522; }
.detail { margin: .6em 0; padding: .5em .8em; background: #f7f7fb; border-left: 4px solid #1c4f9c; }
.detail ul { margin: .2em 0 .6em; } .detail h4 { margin: .3em 0; font-size: 1em; }
section.file { margin-bottom: 1.2em; }
.finding { margin: .5em 0 .9em; padding: .4em .7em; border-left: 4px solid #ccc; }
.finding.error { border-color: #c62828; } .finding.warning { border-color: #e0a000; }
.finding.note { border-color: #5c7cba; } .finding.waived { opacity: .75; border-style: dashed; }
.sev { font-weight: 700; text-transform: uppercase; font-size: .8em; margin-right: .4em; }
.error .sev { color: #c62828; } .warning .sev { color: #9a6b00; } .note .sev { color: #3d5c9a; }
.waiver { color: #444; font-style: italic; }
pre.context { background: #f6f6f6; padding: .3em .5em; margin: .4em 0; overflow-x: auto; }
pre.context .here { background: #fff2a8; display: block; }
.hint { color: #333; } .rule-text { white-space: pre-wrap; color: #333; margin: .3em 0 0 1em; }
)css";

constexpr const char* kScript = R"js(
(function () {
  'use strict';
  var R = JSON.parse(document.getElementById('report-data').textContent);
  var X = JSON.parse(document.getElementById('page-data').textContent);
  function el(tag, attrs, text) {
    var e = document.createElement(tag);
    for (var k in attrs || {}) e.setAttribute(k, attrs[k]);
    if (text !== undefined) e.textContent = text;
    return e;
  }
  var NAMES = {'98': 'Windows 98', 'me': 'Windows Me', 'nt4': 'NT 4.0', '2000': '2000',
               'xp': 'XP', '2003': 'Server 2003'};
  var CELL = {p: ['passed', 'passed'], f: ['failed', 'failed'],
              s: ['second', 'second fails'], '.': ['absent', 'not offered']};
  var cols = R.systems.length;
  function failingOf(model) { return R.failing.filter(function (c) { return c.model === model; }); }
  function failCount(m) { return (m.cells.match(/[fs]/g) || []).length; }

  // The header and the counts.
  var s = R.summary;
  document.getElementById('summary-line').textContent = s.errors + ' errors, ' + s.warnings +
      ' warnings, ' + s.notes + ' notes' + (s.waived ? ' (' + s.waived + ' more waived)' : '') +
      '; ' + s.combinations + ' combinations rehearsed, ' + s.failing + ' failing';

  // The summary matrix: a row a model, failing models first.
  var order = R.models.map(function (m, i) { return i; });
  order.sort(function (a, b) {
    var fa = failCount(R.models[a]) > 0, fb = failCount(R.models[b]) > 0;
    return fa === fb ? a - b : (fa ? -1 : 1);
  });
  var sum = document.getElementById('summary');
  var head = el('tr');
  head.appendChild(el('th', {}, 'model'));
  head.appendChild(el('th', {}, 'category'));
  R.systems.forEach(function (os) { head.appendChild(el('th', {}, NAMES[os] || os)); });
  sum.appendChild(head);
  order.forEach(function (i) {
    var m = R.models[i];
    var tr = el('tr', {'data-model': m.name});
    var name = el('td', {'class': 'model'});
    var link = el('a', {href: '#model-' + i}, m.name);
    link.addEventListener('click', function () { openModel(i); });
    name.appendChild(link);
    tr.appendChild(name);
    tr.appendChild(el('td', {}, m.category));
    for (var c = 0; c < cols; ++c) {
      var worst = '.', failing = 0, offered = 0;
      for (var r = 0; r < R.rows.length; ++r) {
        var v = m.cells.charAt(r * cols + c);
        if (v !== '.') ++offered;
        if (v === 'f' || v === 's') ++failing;
        if (v === 'f' || (v === 's' && worst !== 'f') || (v === 'p' && worst === '.')) worst = v;
      }
      var td = el('td', {'class': 'cell ' + CELL[worst][0]},
                  offered ? (failing ? failing + ' of ' + offered + ' fail' : offered + ' pass')
                          : 'not offered');
      tr.appendChild(td);
    }
    sum.appendChild(tr);
  });

  // A model's matrix: the systems across; setup type, port kind and driver
  // mode down. Made when first opened: a large distribution has thousands.
  var models = document.getElementById('models');
  var built = {};
  function buildMatrix(i, box) {
    if (built[i]) return;
    built[i] = true;
    var m = R.models[i];
    var table = el('table', {'class': 'matrix', 'data-model': m.name});
    var tr = el('tr');
    ['setup type', 'port', 'driver'].forEach(function (t) { tr.appendChild(el('th', {}, t)); });
    R.systems.forEach(function (os) { tr.appendChild(el('th', {}, NAMES[os] || os)); });
    table.appendChild(tr);
    var detail = el('div', {'class': 'detail', hidden: ''});
    R.rows.forEach(function (row, r) {
      var line = el('tr');
      row.forEach(function (t) { line.appendChild(el('th', {}, t)); });
      R.systems.forEach(function (os, c) {
        var v = m.cells.charAt(r * cols + c);
        var td = el('td', {'class': 'cell ' + CELL[v][0], 'data-os': os, 'data-row': r},
                    CELL[v][1]);
        if (v === 'f' || v === 's') {
          td.addEventListener('click', function () { showDetail(m, os, r, td, detail, table); });
        }
        line.appendChild(td);
      });
      table.appendChild(line);
    });
    box.appendChild(table);
    box.appendChild(detail);
  }
  function showDetail(m, os, r, td, detail, table) {
    Array.prototype.forEach.call(table.querySelectorAll('td.selected'),
                                 function (t) { t.classList.remove('selected'); });
    td.classList.add('selected');
    detail.textContent = '';
    failingOf(m.name).filter(function (c) { return c.os === os && c.row === r; })
        .forEach(function (c) {
      detail.appendChild(el('h4', {}, m.name + ' on ' + (NAMES[c.os] || c.os) + ', ' + c.setup +
          ', ' + c.port + ', ' + (c.mode === 1 ? 'raster' : 'standard') + ' driver' +
          (c.second ? ', second install over the first' : '') + ': ' + c.outcome));
      detail.appendChild(el('div', {}, 'Messages, in order:'));
      var ul = el('ul', {'class': 'messages'});
      c.messages.forEach(function (t) { ul.appendChild(el('li', {}, t)); });
      if (!c.messages.length) ul.appendChild(el('li', {}, '(none)'));
      detail.appendChild(ul);
      detail.appendChild(el('div', {}, 'The machine held after:'));
      var held = el('ul', {'class': 'held'});
      c.held.forEach(function (t) { held.appendChild(el('li', {}, t)); });
      detail.appendChild(held);
    });
    detail.hidden = false;
  }
  function openModel(i) {
    var box = document.getElementById('model-' + i);
    box.open = true;
    buildMatrix(i, box);
  }
  order.forEach(function (i) {
    var m = R.models[i];
    var box = el('details', {'class': 'model', id: 'model-' + i, 'data-model': m.name});
    var title = el('summary', {}, m.name + ' (' + m.category + ', DEVICENAME' + m.entry + ')');
    var n = failCount(m);
    title.appendChild(el('span', {'class': 'badge ' + (n ? 'bad' : 'good')},
                         n ? n + ' failing' : (m.cells ? 'all pass' : 'not rehearsed')));
    box.appendChild(title);
    box.addEventListener('toggle', function () { if (box.open) buildMatrix(i, box); });
    models.appendChild(box);
    if (n) openModel(i);
  });

  // The findings by file, each with its lines and its rule's explanation.
  var byFile = {}, files = [];
  R.findings.forEach(function (f) {
    var file = f.file || (/^SC19/.test(f.code) ? '(rehearsal)' : '(distribution)');
    if (!byFile[file]) { byFile[file] = []; files.push(file); }
    byFile[file].push(f);
  });
  var box = document.getElementById('findings');
  files.forEach(function (file) {
    var sec = el('section', {'class': 'file', 'data-file': file});
    sec.appendChild(el('h3', {}, file + ' (' + byFile[file].length + ')'));
    byFile[file].sort(function (a, b) { return a.line - b.line; }).forEach(function (f) {
      var d = el('div', {'class': 'finding ' + f.severity + (f.waived ? ' waived' : ''),
                         'data-code': f.code});
      var top = el('div');
      top.appendChild(el('span', {'class': 'sev'}, f.waived ? 'waived ' + f.severity : f.severity));
      var where = f.code + (f.line ? ' line ' + f.line : '') + (f.section ? ' [' + f.section + ']' : '') +
                  (f.key ? ' ' + f.key : '') + (f.model && !f.section ? ' ' + f.model : '');
      top.appendChild(el('b', {}, where));
      top.appendChild(document.createTextNode(': ' + f.message));
      d.appendChild(top);
      if (f.waived) d.appendChild(el('div', {'class': 'waiver'}, 'waived (' + R.waivers + ' line ' +
                                     f.waiverLine + '): ' + f.waived));
      var lines = (X.context[f.file] || {});
      if (f.line && lines[f.line] !== undefined) {
        var pre = el('pre', {'class': 'context'});
        for (var n = f.line - 3; n <= f.line + 3; ++n) {
          if (lines[n] === undefined) continue;
          var span = el('span', n === f.line ? {'class': 'here'} : {},
                        String(n).padStart(5) + '  ' + lines[n] + '\n');
          pre.appendChild(span);
        }
        d.appendChild(pre);
      }
      d.appendChild(el('div', {'class': 'hint'}, 'Hint: ' + f.hint));
      if (X.rules[f.code]) {
        var more = el('details', {'class': 'rule'});
        more.appendChild(el('summary', {}, 'About ' + f.code + ': ' + X.rules[f.code].title));
        more.appendChild(el('div', {'class': 'rule-text'}, X.rules[f.code].text));
        d.appendChild(more);
      }
      sec.appendChild(d);
    });
    box.appendChild(sec);
  });
})();
)js";

}  // namespace

std::string FormatHtml(const CheckResult& result) {
  // What the page shows beside the report: the files' lines around the
  // findings and the explanations of the rules that fired.
  std::ostringstream page;
  page << "{\"context\": {";
  bool firstFile = true;
  for (const auto& [file, lines] : result.context) {
    page << (firstFile ? "" : ", ") << Json(file) << ": {";
    bool firstLine = true;
    for (const auto& [number, text] : lines) {
      page << (firstLine ? "" : ", ") << "\"" << number << "\": " << Json(text);
      firstLine = false;
    }
    page << "}";
    firstFile = false;
  }
  page << "}, \"rules\": {";
  std::set<std::string> codes;
  for (const Finding& f : result.findings) codes.insert(f.code);
  bool firstRule = true;
  for (const std::string& code : codes) {
    const Rule* rule = FindRule(code);
    const char* text = RuleSectionText(code);
    if (rule == nullptr || text == nullptr) continue;
    page << (firstRule ? "" : ", ") << Json(code) << ": {\"title\": " << Json(rule->title)
         << ", \"text\": " << Json(PlainText(text)) << "}";
    firstRule = false;
  }
  page << "}}";

  std::ostringstream out;
  out << "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
      << "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; "
         "style-src 'unsafe-inline'; script-src 'unsafe-inline'\">\n"
      << "<title>setup-check: " << HtmlText(result.distribution) << "</title>\n<style>" << kStyle
      << "</style>\n</head>\n<body>\n<h1>setup-check</h1>\n<div class=\"summary-line\">"
      << HtmlText(result.distribution) << "<br><span id=\"summary-line\"></span></div>\n"
      << "<noscript>This page draws its matrices with its own script; the report's data is in "
         "the page as JSON.</noscript>\n"
      << "<h2>All models</h2>\n<table id=\"summary\"></table>\n"
      << "<h2>Each model</h2>\n<p>Systems across; setup type, port and driver down. Click a "
         "failing cell for the messages of that install and what the machine held after.</p>\n"
      << "<div id=\"models\"></div>\n<h2>Findings by file</h2>\n<div id=\"findings\"></div>\n"
      << "<script type=\"application/json\" id=\"report-data\">" << ScriptSafe(FormatJson(result))
      << "</script>\n<script type=\"application/json\" id=\"page-data\">"
      << ScriptSafe(page.str()) << "</script>\n<script>" << kScript << "</script>\n</body>\n</html>\n";
  return out.str();
}

}  // namespace setwell::check
