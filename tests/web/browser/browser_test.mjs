// The page in Debian's headless Chromium, as a user would use it: the first
// frame shows the scene and the help text, 1 hides the text, P freezes the
// picture and P again resumes it, F shows the frame counter, a drag turns
// the view, the wheel zooms, and Escape ends the program with exit code 0,
// which the page then shows. It prints the frames shown per second and
// saves a screenshot.
//   node browser_test.mjs URL SCREENSHOT
import puppeteer from 'puppeteer-core';

const [url, screenshot] = process.argv.slice(2);
const failures = [];
const check = (ok, what) => {
  console.log(`browser: ${ok ? 'ok' : 'FAILED'}: ${what}`);
  if (!ok) failures.push(what);
};
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

const browser = await puppeteer.launch({
  executablePath: '/usr/bin/chromium',
  headless: true,
  args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
         '--disable-component-update', '--disable-sync'],
});
try {
  const page = await browser.newPage();
  // A 1280 by 1024 screen, as the native runs' desktop: the frame buffer
  // is the screen's size.
  const cdp = await page.createCDPSession();
  await cdp.send('Emulation.setDeviceMetricsOverride', {
    width: 900, height: 760, deviceScaleFactor: 1, mobile: false, screenWidth: 1280, screenHeight: 1024,
  });
  const loadStart = Date.now();
  await page.goto(url);
  await page.waitForFunction(() => window.Module && Module.velmoraFrames > 0, {timeout: 10000});
  console.log(`browser: first frame ${Date.now() - loadStart} ms after the page was asked for`);
  check((await page.title()) === 'VELMORA', 'the document title is "VELMORA"');

  // Counts of the scene's colours in the canvas, and of the help text's
  // white cells in its corner; a hash of the whole picture.
  const look = () => page.evaluate(() => {
    const canvas = document.getElementById('velmora');
    const data = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
    const counts = {grey: 0, green: 0, blue: 0, red: 0, white: 0, textCorner: 0, counterCorner: 0};
    let hash = 0;
    for (let i = 0, p = 0; i < data.length; i += 4, ++p) {
      const rgb = (data[i] << 16) | (data[i + 1] << 8) | data[i + 2];
      hash = (Math.imul(hash, 31) + rgb) | 0;
      const x = p % canvas.width, y = Math.floor(p / canvas.width);
      if (rgb === 0x787878) counts.grey++;
      else if (rgb === 0x00FA00) counts.green++;
      else if (rgb === 0x0000FA) counts.blue++;
      else if (rgb === 0xFA0000) counts.red++;
      else if (rgb === 0xFFFFFF) {
        counts.white++;
        if (x < 300 && y >= 30 && y < 110) counts.textCorner++;  // the four help lines
        if (x < 200 && y >= 10 && y < 26) counts.counterCorner++;  // the frame counter's line
      }
    }
    return {...counts, hash, total: canvas.width * canvas.height};
  });
  const press = async (key) => { await page.keyboard.press(key); await sleep(400); };

  // The points start at random places; some starts put most of the
  // surface outside the window for a moment, so the look waits for it.
  let seen = await look();
  for (let i = 0; i < 30 && seen.green <= 1000; ++i) {
    await sleep(100);
    seen = await look();
  }
  check(seen.grey > seen.total / 2 && seen.green > 1000 && seen.blue > 50 && seen.red > 1000,
        `the scene: grey ${seen.grey}, green ${seen.green}, blue ${seen.blue}, red ${seen.red}`);
  check(seen.textCorner > 500, `the help text (${seen.textCorner} white text pixels)`);
  await page.screenshot({path: screenshot});

  await press('1');
  seen = await look();
  check(seen.textCorner === 0, `1 hides the help text (${seen.textCorner} white text pixels left)`);

  await press('p');
  const paused1 = await look();
  await sleep(1000);
  const paused2 = await look();
  check(paused1.hash === paused2.hash, 'P freezes the picture: two looks a second apart are the same');

  // While paused, only the input changes the picture.
  const box = await (await page.$('#velmora')).boundingBox();
  const cx = box.x + box.width / 2, cy = box.y + box.height / 2;
  await page.mouse.move(cx, cy);
  await page.mouse.down();
  await page.mouse.move(cx + 60, cy + 30, {steps: 6});
  await page.mouse.up();
  await sleep(400);
  const dragged = await look();
  check(dragged.hash !== paused2.hash, 'a drag turns the view');
  await page.mouse.wheel({deltaY: -100});
  await sleep(400);
  const zoomed = await look();
  check(zoomed.hash !== dragged.hash, 'the wheel zooms');

  await press('p');
  const running1 = await look();
  await sleep(1000);
  const running2 = await look();
  check(running1.hash !== running2.hash, 'P again resumes the motion');

  await press('f');
  await sleep(2500);  // the counter's text renews every two seconds
  seen = await look();
  check(seen.counterCorner > 100, `F shows the frame counter (${seen.counterCorner} white pixels at its line)`);

  const counters = () => page.evaluate(() => [Module.velmoraFrames, Module.velmoraWorkMs, Module.velmoraWorkFrames]);
  const [frames0, work0, worked0] = await counters();
  await sleep(2000);
  const [frames1, work1, worked1] = await counters();
  console.log(`browser: ${((frames1 - frames0) / 2).toFixed(1)} frames shown per second in headless Chromium`);
  console.log(`browser: a frame's work in the page (from the loop's resumption to its copy into the canvas): ` +
              `${((work1 - work0) / (worked1 - worked0) * 1000).toFixed(0)} us`);

  await press('Escape');
  await page.waitForFunction(() => document.getElementById('ended').style.display === 'block', {timeout: 5000})
    .catch(() => {});
  const code = await page.evaluate(() => document.getElementById('code').textContent);
  check(code === '0', `Escape ends the program and the page shows exit code 0 (shows '${code}')`);
} finally {
  await browser.close();
}
if (failures.length) {
  console.log(`browser: FAILED: ${failures.join('; ')}`);
  process.exit(1);
}
console.log('browser: passed');
