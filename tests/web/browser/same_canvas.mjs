// The page's canvas against the native build's pictures of the same states
// (native_frame.cpp), pixel by pixel, in Debian's headless Chromium or
// Firefox ESR (through WebDriver BiDi). The
// page's clock (performance.now, which the program's GetTickCount reads)
// stands at 1000 ms from before the program starts, as the native run's
// does, so both take the same start tick and seed; then it moves by 100 ms
// at a time, a step of the points each. Every canvas pixel must be the
// native word's red, green and blue, opaque: after three steps, and after
// a fourth taken once the WebAssembly memory has grown, which detaches the
// buffer the canvas was read from.
//   node same_canvas.mjs chromium|firefox URL FIRST SECOND
import {readFileSync} from 'node:fs';
import {launch, newPage} from './page.mjs';

const [browserName, url, firstPath, secondPath] = process.argv.slice(2);
const failures = [];
const check = (ok, what) => {
  console.log(`same_canvas: ${browserName}: ${ok ? 'ok' : 'FAILED'}: ${what}`);
  if (!ok) failures.push(what);
};

// "VELMORA-FRAME <width> <height>\n", then the words, little-endian.
const readFrame = (path) => {
  const file = readFileSync(path);
  const headerEnd = file.indexOf(10);
  const [magic, width, height] = file.subarray(0, headerEnd).toString('latin1').split(' ');
  if (magic !== 'VELMORA-FRAME') throw new Error(`${path} is no native frame`);
  return {width: Number(width), height: Number(height), words: file.subarray(headerEnd + 1)};
};
const first = readFrame(firstPath);
const second = readFrame(secondPath);

const browser = await launch(browserName);
try {
  const page = await newPage(browser, browserName);
  await page.evaluateOnNewDocument(() => {
    window.velmoraClock = 1000;
    performance.now = () => window.velmoraClock;
  });
  await page.goto(url);
  const framesPast = (n) =>
    page.waitForFunction((n) => window.Module && Module.velmoraFrames >= n, {timeout: 20000}, n);
  const moreFrames = async (n) => framesPast(n + await page.evaluate(() => Module.velmoraFrames));
  const stepTo = async (ms) => {
    await page.evaluate((ms) => { window.velmoraClock = ms; }, ms);
    await moreFrames(3);
  };

  // The canvas as the page reads it back, base64 over the wire.
  const canvasBytes = async () => Buffer.from(await page.evaluate(() => {
    const canvas = document.getElementById('velmora');
    const data = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
    let text = '';
    for (let i = 0; i < data.length; i += 0x8000) text += String.fromCharCode.apply(null, data.subarray(i, i + 0x8000));
    return btoa(text);
  }), 'base64');
  const compare = async (frame, when) => {
    const size = await page.evaluate(() => [document.getElementById('velmora').width,
                                            document.getElementById('velmora').height]);
    const rgba = await canvasBytes();
    let differing = 0;
    let where = '';
    const count = Math.min(rgba.length, frame.words.length) / 4;
    for (let p = 0; p < count; ++p) {
      const word = frame.words.readUInt32LE(4 * p);
      const want = [(word >>> 16) & 255, (word >>> 8) & 255, word & 255, 255];
      const got = rgba.subarray(4 * p, 4 * p + 4);
      if (want.some((v, i) => v !== got[i]) && differing++ === 0) {
        where = `, the first at (${p % frame.width}, ${Math.floor(p / frame.width)}): ` +
                `canvas ${[...got].join(' ')}, native word ${word.toString(16).padStart(8, '0')}`;
      }
    }
    check(size[0] === frame.width && size[1] === frame.height && differing === 0,
          `${when}: the ${size[0]} by ${size[1]} canvas is the native ${frame.width} by ${frame.height} frame ` +
          `(${differing} pixels differ${where})`);
  };

  await framesPast(3);
  for (let step = 1; step <= 3; ++step) await stepTo(1000 + 100 * step);
  await compare(first, 'after three steps');

  const grown = await page.evaluate(() => {
    const before = Module.HEAPU8.buffer.byteLength;
    Module._malloc(64 << 20);
    return [before, Module.HEAPU8.buffer.byteLength];
  });
  check(grown[1] > grown[0], `the WebAssembly memory grew from ${grown[0]} to ${grown[1]} bytes`);
  const presenting = await stepTo(1400).then(() => true, () => false);
  const ended = await page.evaluate(() => document.getElementById('ended').style.display === 'block');
  check(presenting && !ended, 'the page goes on presenting after the memory grew');
  await compare(second, 'after a fourth step, with the memory grown');
} finally {
  await browser.close();
}
if (failures.length) {
  console.log(`same_canvas: ${browserName}: FAILED: ${failures.join('; ')}`);
  process.exit(1);
}
console.log(`same_canvas: ${browserName}: passed`);
