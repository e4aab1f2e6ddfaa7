'use strict';
// Capture server on 127.0.0.1. Serves the form pages and the file contents
// they load, and keeps the raw body of every POST /upload/<id> together with
// the request headers. Node de-chunks chunked bodies; the manifest records
// the Transfer-Encoding header so a chunked upload is still visible.

const http = require('http');
const { FILES, PAGES, encodeText } = require('./forms');

function escAttr(s) {
  return s.replace(/&/g, '&amp;').replace(/"/g, '&quot;').replace(/</g, '&lt;').replace(/>/g, '&gt;')
    .replace(/\n/g, '&#10;').replace(/\r/g, '&#13;');
}
function escText(s) {
  return s.replace(/&/g, '&amp;').replace(/</g, '&lt;').replace(/>/g, '&gt;');
}
// JSON with every non-ASCII character as \uXXXX, so the script is plain
// ASCII whatever the page charset.
function asciiJson(v) {
  return JSON.stringify(v).replace(/[\u007f-\uffff]/g, (c) => '\\u' + c.charCodeAt(0).toString(16).padStart(4, '0'));
}

// The page fills its file inputs through DataTransfer and submits the real
// form, so the browser's own form encoder builds the body.
function pageHtml(pageId, captureId) {
  const page = PAGES[pageId];
  const rows = [];
  const fill = [];
  page.items.forEach((it, i) => {
    if (it.kind === 'field' && it.textarea) {
      rows.push(`<textarea name="${escAttr(it.name)}">${escText(it.value)}</textarea>`);
    } else if (it.kind === 'field') {
      rows.push(`<input type="text" name="${escAttr(it.name)}" value="${escAttr(it.value)}">`);
    } else {
      rows.push(`<input type="file" id="i${i}" name="${escAttr(it.name)}"${it.files.length > 1 ? ' multiple' : ''}>`);
      if (it.files.length) fill.push({ id: `i${i}`, files: it.files.map((f) => ({ url: `/files/${f.id}`, name: f.filename, type: f.type })) });
    }
  });
  const html = `<!DOCTYPE html>
<html><head><meta charset="${page.label}"><title>capture ${captureId}</title></head>
<body>
<form id="f" method="post" enctype="multipart/form-data" action="/upload/${captureId}">
${rows.join('\n')}
</form>
<script>
const FILL = ${asciiJson(fill)};
async function run() {
  for (const input of FILL) {
    const dt = new DataTransfer();
    for (const f of input.files) {
      const r = await fetch(f.url);
      if (!r.ok) throw new Error('fetch ' + f.url + ': ' + r.status);
      dt.items.add(new File([await r.arrayBuffer()], f.name, { type: f.type }));
    }
    document.getElementById(input.id).files = dt.files;
  }
  document.getElementById('f').submit();
}
window.addEventListener('load', () => run().catch((e) => {
  fetch('/error/${captureId}', { method: 'POST', body: String(e && e.stack || e) });
}));
</script>
</body></html>
`;
  return encodeText(html, page.charset);
}

function startServer() {
  const waiters = new Map(); // captureId -> { resolve, reject }
  const server = http.createServer();

  // Answer "Expect: 100-continue" explicitly (Node would do the same by
  // default) and note that it was asked for.
  server.on('checkContinue', (req, res) => {
    req.sentContinue = true;
    res.writeContinue();
    server.emit('request', req, res);
  });

  server.on('request', (req, res) => {
    const url = new URL(req.url, 'http://127.0.0.1');
    const seg = url.pathname.split('/').filter(Boolean);
    const chunks = [];
    req.on('data', (c) => chunks.push(c));
    req.on('end', () => {
      const body = Buffer.concat(chunks);
      if (req.method === 'GET' && seg[0] === 'page' && PAGES[seg[1]] && seg[2]) {
        res.writeHead(200, { 'Content-Type': `text/html; charset=${PAGES[seg[1]].label}`, 'Cache-Control': 'no-store' });
        res.end(pageHtml(seg[1], seg[2]));
      } else if (req.method === 'GET' && seg[0] === 'files' && FILES[seg[1]]) {
        res.writeHead(200, { 'Content-Type': 'application/octet-stream', 'Cache-Control': 'no-store' });
        res.end(FILES[seg[1]]);
      } else if (req.method === 'POST' && seg[0] === 'upload' && seg[1]) {
        res.writeHead(200, { 'Content-Type': 'text/html; charset=utf-8', Connection: 'close' });
        res.end(`<!DOCTYPE html><title>stored</title><p>stored ${body.length} bytes</p>`);
        const w = waiters.get(seg[1]);
        if (w) {
          waiters.delete(seg[1]);
          w.resolve({
            body,
            headers: req.headers,
            httpVersion: req.httpVersion,
            contentType: req.headers['content-type'] || null,
            transferEncoding: req.headers['transfer-encoding'] || null,
            contentLength: req.headers['content-length'] != null ? Number(req.headers['content-length']) : null,
            expect: req.headers.expect || null,
            sentContinue: !!req.sentContinue,
            userAgent: req.headers['user-agent'] || null,
          });
        }
      } else if (req.method === 'POST' && seg[0] === 'error' && seg[1]) {
        res.writeHead(204);
        res.end();
        const w = waiters.get(seg[1]);
        if (w) { waiters.delete(seg[1]); w.reject(new Error(`page script failed: ${body.toString('utf8')}`)); }
      } else {
        // favicon and anything else a browser may ask for
        res.writeHead(404, { 'Content-Type': 'text/plain' });
        res.end('not found');
      }
    });
  });

  return new Promise((resolve) => {
    server.listen(0, '127.0.0.1', () => {
      const { port } = server.address();
      resolve({
        port,
        base: `http://127.0.0.1:${port}`,
        // Resolves with the next POST to /upload/<captureId>.
        expect(captureId, timeoutMs = 90000) {
          return new Promise((resolve, reject) => {
            const t = setTimeout(() => { waiters.delete(captureId); reject(new Error(`timed out waiting for ${captureId}`)); }, timeoutMs);
            waiters.set(captureId, {
              resolve: (v) => { clearTimeout(t); resolve(v); },
              reject: (e) => { clearTimeout(t); reject(e); },
            });
          });
        },
        close: () => new Promise((r) => { server.closeAllConnections(); server.close(r); }),
      });
    });
  });
}

module.exports = { startServer, pageHtml };
