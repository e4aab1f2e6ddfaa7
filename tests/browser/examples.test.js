// node examples.test.js BASE_URL OUT [CASE]: submits each example page's form with real files in headless
// Chromium, checks the page shown and the files saved under OUT byte for byte; prints "ok NAME" or
// "not ok NAME: why" per case and saves a screenshot of each result to OUT/browser-screenshots/NAME.png.
'use strict';
const assert = require('node:assert/strict');
const crypto = require('node:crypto');
const fs = require('node:fs');
const path = require('node:path');
const { chromium } = require('playwright-core');

const [base, out, only] = process.argv.slice(2);
const shots = path.join(out, 'browser-screenshots');
fs.mkdirSync(shots, { recursive: true });

const text = (s) => Buffer.from(s, 'utf8');
const big = crypto.randomBytes(5 * 1024 * 1024);
const png = Buffer.concat([Buffer.from('89504e470d0a1a0a0000000d49484452', 'hex'), crypto.randomBytes(64)]);
const jpeg = Buffer.concat([Buffer.from('ffd8ffe000104a464946', 'hex'), crypto.randomBytes(64)]);
const file = (name, buffer, mimeType = 'application/octet-stream') => ({ name, mimeType, buffer });

function expectSaved(folder, name, buffer) {
  const saved = path.join(out, folder, name);
  assert.ok(fs.existsSync(saved), `${folder}/${name} was not saved`);
  assert.ok(fs.readFileSync(saved).equals(buffer), `${folder}/${name} does not hold the bytes sent`);
}

// The pages save under names they make: <date>-<time>-<n>.upload, never the client's.
const ownName = /^\d{8}-\d{6}-\d+\.upload$/;
function expectSavedAs(name, buffer) {
  assert.match(name, ownName, 'a name made by the page');
  expectSaved('uploads', name, buffer);
}

// Each selector's text, white space collapsed, equals (or matches) what is given for it.
async function expectTexts(page, expected) {
  for (const [selector, want] of Object.entries(expected)) {
    const actual = (await page.textContent(selector)).replace(/\s+/g, ' ').trim();
    if (want instanceof RegExp) assert.match(actual, want, selector);
    else assert.equal(actual, want, selector);
  }
}

// Opens the page, fills its fields and file inputs and submits; gives the answer.
async function submit(page, url, files, fields = {}) {
  await page.goto(base + url);
  for (const [name, value] of Object.entries(fields)) await page.fill(`[name=${name}]`, value);
  for (const [name, list] of Object.entries(files)) await page.setInputFiles(`input[name=${name}]`, list);
  return (await Promise.all([page.waitForNavigation(), page.click('[type=submit]')]))[0];
}

// The texts of the matching elements; fetch.asp's JSON answer once it has come; the table rows of
// upload.asp and upload-js.asp as arrays of cell texts.
const texts = (page, selector) => page.$$eval(selector, (els) => els.map((el) => el.textContent.trim()));
const answer = (page) => page.waitForFunction(() => document.getElementById('result').textContent.startsWith('{'))
  .then(() => page.textContent('#result')).then(JSON.parse);
const rows = (page) =>
  page.$$eval('table tr', (trs) => trs.slice(1).map((tr) => [...tr.cells].map((td) => td.textContent.trim())));

// upload.asp and upload-js.asp: one row per item; the client's name shown as text, never as markup.
async function singleFile(page, url) {
  await submit(page, url, { file: [] });
  assert.deepEqual(await rows(page), [['file', '', '0', 'application/octet-stream', '']]);
  const markup = file('<b>&amp;.txt', text('markup in the name'), 'text/plain');
  const sent = [file('big.bin', big), file('journée.txt', text('hello, world\r\n'), 'text/plain'), markup,
    file('journée.txt', text('a second file of the same name'), 'text/plain')];
  const names = [];
  for (const one of sent) {
    await submit(page, url, { file: [one] });
    const [row] = await rows(page);
    assert.deepEqual(row.slice(0, 4), ['file', one.name, String(one.buffer.length), one.mimeType]);
    expectSavedAs(row[4], one.buffer);
    names.push(row[4]);
  }
  assert.equal(await page.$$eval('td b', (bs) => bs.length), 0, 'the client\'s name was written as markup');
  assert.equal(new Set(names).size, sent.length, `names given twice: ${names}`);
  assert.deepEqual(fs.readdirSync(path.join(out, 'uploads')).filter((n) => !ownName.test(n)), [],
    'a file saved under another name than the page\'s own');
}

const cases = [
  ['index', async (page) => {
    await page.goto(base);
    const links = await page.$$eval('li a', (as) => as.map((a) => a.getAttribute('href')));
    assert.deepEqual(links, ['upload.asp', 'multi.asp', 'safe-upload.asp', 'utf8.asp', 'gbk.asp',
      'upload-js.asp', 'fetch.asp', 'limit.asp']);
    for (const link of links) assert.equal((await page.request.get(base + link)).status(), 200, link);
  }],

  ['upload', (page) => singleFile(page, 'upload.asp')],
  ['upload-js', (page) => singleFile(page, 'upload-js.asp')],

  // The folder is made at set-up; a page must say that it is missing, never make it itself.
  ['missing-folder', async (page) => {
    const folder = path.join(out, 'uploads');
    fs.renameSync(folder, `${folder}.away`);
    try {
      const response = await submit(page, 'upload.asp', { file: [file('a.txt', text('a'))] });
      assert.equal(response.status(), 500, 'status of a page whose folder is missing');
      assert.match(await page.textContent('body'), /uploads does not exist: create it/);
      assert.ok(!fs.existsSync(folder), 'the page made the upload folder itself');
    } finally {
      fs.rmSync(folder, { recursive: true, force: true });
      fs.renameSync(`${folder}.away`, folder);
    }
  }],

  ['multi', async (page) => {
    const files = [file('a.txt', text('first')), file('journée été.txt', text('accents: é ü ß'))];
    const extra = file('数据.bin', crypto.randomBytes(1000));
    await submit(page, 'multi.asp', { files, extra: [extra] },
      { title: 'Hello, wörld & <friends>', comment: 'line 1\nline 2' });
    await expectTexts(page, { '#title': 'Hello, wörld & <friends>', '#comment': 'line 1 line 2',
      '#summary': '3 file(s) saved, 5 item(s) posted.' });
    const shown = await rows(page);
    assert.deepEqual(shown.map((row) => row.slice(0, 3)),
      [...files.map((f) => ['files', f.name, String(f.buffer.length)]), ['extra', extra.name, '1000']]);
    [...files, extra].forEach((sent, i) => expectSavedAs(shown[i][3], sent.buffer));
  }],

  ['safe-upload', async (page) => {
    fs.mkdirSync(path.join(out, 'safe-uploads'), { recursive: true });
    fs.writeFileSync(path.join(out, 'safe-uploads', 'photo.png'), 'was here first');
    const table = [ // name, bytes, what the page says
      ['photo.png', png, 'saved as photo-1.png'],
      ['photo.jpg', jpeg, 'saved as photo.jpg'],
      ['fake.png', text('<% evil %>'), 'refused, the content is not a PNG image'],
      ['shell.asp', text('<% evil %>'), 'refused, files of type "asp" are not accepted'],
      ['CON.txt', text('device'), 'saved as upload_CON.txt'],
      ['empty.txt', Buffer.alloc(0), 'refused, the file is empty'],
      ['noext', text('x'), 'refused, files of type "" are not accepted'],
      ['x.png jpg', png, 'refused, files of type "png jpg" are not accepted'],
      ['note\u202Egnp.txt', text('right to left'), 'saved as notegnp.txt', 'notegnp.txt'],
      ['<i>.txt', text('markup'), 'saved as _i_.txt'],
      [`${'a'.repeat(300)}.txt`, text('long'), 'refused, its name is over 255 characters long',
        `${'a'.repeat(40)}...`]];
    await submit(page, 'safe-upload.asp', { files: table.map(([name, bytes]) => file(name, bytes)) });
    assert.deepEqual(await texts(page, 'li'), table.map(([name, , said, shown = name]) => `${shown}: ${said}`));
    assert.equal(await page.$$eval('li i', (is) => is.length), 0, 'the client\'s name was written as markup');
    const kept = { '_i_.txt': text('markup'), 'notegnp.txt': text('right to left'), 'photo-1.png': png,
      'photo.jpg': jpeg, 'photo.png': text('was here first'), 'upload_CON.txt': text('device') };
    for (const [name, buffer] of Object.entries(kept)) expectSaved('safe-uploads', name, buffer);
    assert.deepEqual(fs.readdirSync(path.join(out, 'safe-uploads')).sort(), Object.keys(kept));
  }],

  ['utf8', async (page) => {
    const files = [file('中文名.txt', text('UTF-8 页面')), file('café crème.bin', crypto.randomBytes(300))];
    await submit(page, 'utf8.asp', { files }, { note: '你好, journée' });
    await expectTexts(page, { '#note': '你好, journée', '#pagecode': '65001' });
    const said = await texts(page, 'li.saved');
    assert.equal(said.length, files.length, `not every file saved: ${said}`);
    files.forEach((f, i) => {
      const prefix = `${f.name} (${f.buffer.length} bytes): saved as `;
      assert.ok(said[i].startsWith(prefix), `expected "${prefix}...", saw "${said[i]}"`);
      expectSavedAs(said[i].slice(prefix.length), f.buffer);
    });
  }],

  ['gbk', async (page) => {
    const files = [file('国标文件.txt', Buffer.from('c4e3bac3', 'hex'))];
    const response = await submit(page, 'gbk.asp', { files }, { note: '你好' });
    assert.match(response.headers()['content-type'], /charset=gbk/i);
    await expectTexts(page, { '#note': '你好', '#pagecode': '936' });
    const [said] = await texts(page, 'li.saved');
    const prefix = '国标文件.txt (4 字节): 已保存为 ';
    assert.ok(said.startsWith(prefix), `expected "${prefix}...", saw "${said}"`);
    expectSavedAs(said.slice(prefix.length), files[0].buffer);
  }],

  ['fetch', async (page) => {
    const files = [file('fetched.txt', text('sent by fetch()')), file('图片.bin', crypto.randomBytes(2000))];
    await page.goto(base + 'fetch.asp');
    await page.fill('[name=note]', 'from "fetch" \\ \t');
    await page.setInputFiles('[name=files]', files);
    await page.click('#send-fetch');
    const json = await answer(page);
    const savedAs = json.files.map((f) => f.savedAs);
    assert.deepEqual(json, {
      count: 3, fields: { note: 'from "fetch" \\ \t' }, files: files.map((f, i) => ({
        name: 'files', fileName: f.name, size: f.buffer.length, contentType: f.mimeType, savedAs: savedAs[i] })),
    });
    files.forEach((f, i) => expectSavedAs(savedAs[i], f.buffer));
  }],

  ['fetch-progress', async (page) => {
    const sent = file('progress.bin', big);
    await page.goto(base + 'fetch.asp');
    await page.setInputFiles('[name=files]', [sent]);
    // Every percentage the page shows, in order; at 10 MB/s upload the bar has time to move.
    await page.evaluate(() => {
      window.shown = [];
      new MutationObserver(() => window.shown.push(document.getElementById('percent').textContent))
        .observe(document.getElementById('percent'), { childList: true });
    });
    const cdp = await page.context().newCDPSession(page);
    await cdp.send('Network.emulateNetworkConditions',
      { offline: false, latency: 0, downloadThroughput: -1, uploadThroughput: 10 * 1024 * 1024 });
    await page.click('#send-xhr');
    const { files } = await answer(page);
    const shown = await page.evaluate(() => window.shown);
    const percents = shown.map((p) => parseInt(p, 10));
    assert.ok(percents.length > 2, `too few upload progress events: ${shown}`);
    assert.deepEqual(percents, [...percents].sort((a, b) => a - b), `progress went back: ${shown}`);
    assert.equal(shown[shown.length - 1], '100%');
    assert.equal(await page.$eval('#progress', (p) => p.value), 100);
    assert.deepEqual(files, [{ name: 'files', fileName: sent.name, size: big.length,
      contentType: sent.mimeType, savedAs: files[0].savedAs }]);
    expectSavedAs(files[0].savedAs, big);
  }],

  ['limit', async (page) => {
    await submit(page, 'limit.asp', { file: [file('small.txt', text('fits'))] });
    await expectTexts(page, { '#message': 'Received 1 item(s): small.txt, 4 bytes.' });
    const response = await submit(page, 'limit.asp', { file: [file('big.bin', big)] });
    assert.equal(response.status(), 413);
    await expectTexts(page, {
      '#message': /^Sorry, your upload \(5\.0 MB\) is larger than this page accepts \(1\.0 MB\)\./,
      '#detail': 'Error &H8002000A: The file size is over the limitation set' });
  }],
];

(async () => {
  const browser = await chromium.launch({
    executablePath: '/usr/bin/chromium',
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
      '--disable-component-update', '--disable-sync'],
  });
  let failed = 0;
  for (const [name, run] of cases.filter(([name]) => !only || name === only)) {
    const page = await browser.newPage({ viewport: { width: 800, height: 360 } });
    page.setDefaultTimeout(30000);
    const error = await run(page).then(() => null, (e) => e);
    failed += error ? 1 : 0;
    console.log(error ? `not ok ${name}: ${error.message.split('\n').slice(0, 20).join(' | ')}` : `ok ${name}`);
    await page.screenshot({ path: path.join(shots, `${name}.png`), fullPage: true }).catch(() => {});
    await page.close();
  }
  await browser.close();
  process.exitCode = failed ? 1 : 0;
})().catch((e) => {
  console.log(`not ok browser: ${e.message}`);
  process.exitCode = 1;
});
