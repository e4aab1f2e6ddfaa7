// The baseline: a minimal Node http server that pipes each request body to a
// file, what one would otherwise put up to receive uploads.
//   node node-baseline.js PORT FOLDER
const http = require('http');
const fs = require('fs');
const path = require('path');
const [port, folder] = process.argv.slice(2);
let n = 0;
http.createServer((req, res) => {
  const out = fs.createWriteStream(path.join(folder, `${n++}.body`));
  req.pipe(out);
  out.on('finish', () => res.end('saved'));
}).listen(Number(port), '127.0.0.1', () => console.log('listening'));
