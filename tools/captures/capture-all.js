#!/usr/bin/env node
'use strict';
// Re-captures every body in tests/data/captures and rewrites manifest.json,
// then runs check-captures.js over the result.
//
//   node tools/captures/capture-all.js            all captures
//   node tools/captures/capture-all.js firefox    only ids containing "firefox"
//
// Filtered runs keep the other entries of the existing manifest.

const fs = require('fs');
const path = require('path');
const { execFileSync } = require('child_process');
const { FILES, PAGES, expectedParts, sha256 } = require('./lib/forms');
const { startServer } = require('./lib/server');
const { captureCurl, captureNode, captureChromium, captureFirefox } = require('./lib/clients');

const OUT = path.resolve(__dirname, '../../tests/data/captures');

const CAPTURES = [
  { id: 'curl-utf8', run: (s, id) => captureCurl(s, id, { big: true }), normalize: false },
  { id: 'curl-chunked', run: (s, id) => captureCurl(s, id, { big: false, extraArgs: ['-H', 'Transfer-Encoding: chunked'] }), normalize: false },
  { id: 'curl-backslash', run: (s, id) => captureCurl(s, id, { big: false, extraArgs: ['--form-escape'] }), normalize: false, escaping: 'backslash' },
  { id: 'node-utf8', run: (s, id) => captureNode(s, id, { big: true }), normalize: true },
  ...['chromium', 'firefox'].flatMap((b) => Object.keys(PAGES).map((p) => ({
    id: `${b}-${p}`,
    page: p,
    run: (s, id) => (b === 'chromium' ? captureChromium : captureFirefox)(s, id, p),
    normalize: true,
  }))),
];

function boundaryOf(contentType) {
  const m = /boundary=(?:"([^"]+)"|([^;\s]+))/i.exec(contentType || '');
  if (!m) throw new Error(`no boundary in ${contentType}`);
  return m[1] || m[2];
}

// Header blocks of each part, in body order.
function partHeaders(body, boundary) {
  const delim = Buffer.from(`--${boundary}`, 'latin1');
  const out = [];
  let pos = body.indexOf(delim);
  while (pos >= 0) {
    const after = pos + delim.length;
    if (body[after] === 0x2d && body[after + 1] === 0x2d) break; // closing delimiter
    const hstart = after + 2; // skip CRLF
    const hend = body.indexOf('\r\n\r\n', hstart, 'latin1');
    out.push(body.subarray(hstart, hend));
    pos = body.indexOf(Buffer.from(`\r\n--${boundary}`, 'latin1'), hend);
    if (pos >= 0) pos += 2;
  }
  return out;
}

// Raw bytes of the quoted name= and filename= parameters of a
// Content-Disposition line. With backslash escaping, \" and \\ do not end
// the value; otherwise the first quote does.
function dispositionParams(headers, backslash) {
  const lines = [];
  let start = 0;
  for (;;) {
    const e = headers.indexOf('\r\n', start, 'latin1');
    lines.push(headers.subarray(start, e < 0 ? headers.length : e));
    if (e < 0) break;
    start = e + 2;
  }
  const cd = lines.find((l) => /^content-disposition:/i.test(l.toString('latin1')));
  const ct = lines.find((l) => /^content-type:/i.test(l.toString('latin1')));
  const params = {};
  let i = cd.indexOf(';');
  while (i >= 0 && i < cd.length) {
    i++;
    while (cd[i] === 0x20) i++;
    const eq = cd.indexOf('=', i);
    if (eq < 0) break;
    const key = cd.subarray(i, eq).toString('latin1').toLowerCase();
    let j = eq + 1;
    let val;
    if (cd[j] === 0x22) {
      j++;
      const s = j;
      while (j < cd.length && cd[j] !== 0x22) j += backslash && cd[j] === 0x5c ? 2 : 1;
      val = cd.subarray(s, j);
      j++;
    } else {
      const s = j;
      while (j < cd.length && cd[j] !== 0x3b) j++;
      val = cd.subarray(s, j);
    }
    params[key] = val;
    i = cd.indexOf(';', j);
  }
  return { params, contentType: ct ? ct.toString('latin1').replace(/^content-type:\s*/i, '') : null };
}

async function main() {
  const filter = process.argv.slice(2);
  const selected = CAPTURES.filter((c) => !filter.length || filter.some((f) => c.id.includes(f)));
  fs.mkdirSync(OUT, { recursive: true });
  const manifestPath = path.join(OUT, 'manifest.json');
  const old = filter.length && fs.existsSync(manifestPath) ? JSON.parse(fs.readFileSync(manifestPath, 'utf8')) : { captures: [] };
  const byFile = new Map(old.captures.map((c) => [c.file, c]));

  const server = await startServer();
  let failed = 0;
  try {
    for (const c of selected) {
      process.stdout.write(`${c.id}: `);
      let r;
      try {
        r = await c.run(server, c.id);
      } catch (e) {
        failed++;
        console.log(`FAILED ${e.message}`);
        continue;
      }
      const req = r.request;
      const page = c.page ? PAGES[c.page] : null;
      const items = page ? page.items : r.items;
      const charset = page ? page.charset : 'utf-8';
      const boundary = boundaryOf(req.contentType);
      const heads = partHeaders(req.body, boundary);
      const parts = expectedParts(items, charset, { normalize: c.normalize });
      if (heads.length !== parts.length) console.log(`\n  warning: ${heads.length} parts in body, ${parts.length} expected`);
      parts.forEach((p, k) => {
        if (!heads[k]) return;
        const { params } = dispositionParams(heads[k], c.escaping === 'backslash');
        p.nameRawHex = params.name ? params.name.toString('hex') : null;
        p.filenameRawHex = params.filename ? params.filename.toString('hex') : null;
      });
      const file = `${c.id}.body`;
      fs.writeFileSync(path.join(OUT, file), req.body);
      byFile.set(file, {
        file,
        client: r.client,
        clientVersion: r.version,
        userAgent: req.userAgent,
        page: c.page || null,
        charset: page ? page.label : 'UTF-8',
        nameEscaping: c.escaping || 'percent',
        curlArgs: r.args,
        contentType: req.contentType,
        boundary,
        transferEncoding: req.transferEncoding,
        contentLength: req.contentLength,
        expect: req.expect,
        sent100Continue: req.sentContinue,
        bodySize: req.body.length,
        bodySha256: sha256(req.body),
        parts,
      });
      console.log(`${req.body.length} bytes, ${heads.length} parts${req.transferEncoding ? `, ${req.transferEncoding}` : ''}${req.expect ? `, Expect: ${req.expect}` : ''}`);
    }
  } finally {
    await server.close();
  }
  const captures = [...byFile.values()].sort((a, b) => a.file.localeCompare(b.file));
  const manifest = {
    about: 'Raw multipart/form-data bodies from real clients. Per part: the name and file name the client was asked to send (Unicode), '
      + 'declared content type, size and SHA-256 of the content bytes handed to the client, and the raw bytes of name/filename '
      + 'as they appear in the body (hex). Re-create with: node tools/captures/capture-all.js',
    // Contents handed to the clients, by the id in each file part's "source".
    sources: Object.fromEntries(Object.entries(FILES).map(([id, b]) => [id, { size: b.length, sha256: sha256(b) }])),
    bigSource: 'big = SHA-256 counter mode: block i = SHA256("TavrinUpload capture data, seed 1" || uint32le(i)), '
      + 'then fixed splices of CRLF/--/boundary look-alikes (see tools/captures/lib/forms.js)',
    captures,
  };
  fs.writeFileSync(manifestPath, JSON.stringify(manifest, null, 2) + '\n');
  console.log(`wrote ${captures.length} entries to ${path.relative(process.cwd(), manifestPath)}`);
  execFileSync(process.execPath, [path.join(__dirname, 'check-captures.js')], { stdio: 'inherit' });
  if (failed) {
    console.error(`${failed} capture(s) failed`);
    process.exit(1);
  }
}

main().catch((e) => { console.error(e); process.exit(1); });
