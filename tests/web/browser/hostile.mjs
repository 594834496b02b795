// A hostile session on the page, in headless Chromium's phone emulation:
// for SECONDS (60 unless given) random input of every kind the page takes
// and some it must shrug off: touches of 1 to 5 contacts, cancelled
// touches, pens, mice leaving the canvas with the button down, wheel
// bursts, key bursts with keys held, the key buttons, viewport resizes and
// orientation changes. The page has to stay alive (frames keep coming), no
// error or warning may reach the console, and Escape then ends the program
// with exit code 0. Meant for the debug build (assertions, SAFE_HEAP,
// UBSan), where a fault shows as a console error or an abort.
//   node hostile.mjs URL [SECONDS [SEED]]   (HOSTILE_TRACE=1 prints each action's time)
import {launch} from './page.mjs';

const [url, secondsArg = '60', seedArg] = process.argv.slice(2);
const seconds = Number(secondsArg);
let seed = seedArg !== undefined ? Number(seedArg) : (Date.now() % 1000000);
console.log(`hostile: ${seconds} s, seed ${seed} (give it as the third argument to repeat this session)`);
const random = () => {  // a small linear congruential generator, for repeatable sessions
  seed = (Math.imul(seed, 1103515245) + 12345) >>> 0;
  return seed / 4294967296;
};
const pick = (items) => items[Math.floor(random() * items.length)];
const between = (low, high) => low + Math.floor(random() * (high - low + 1));
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

const failures = [];
const check = (ok, what) => {
  console.log(`hostile: ${ok ? 'ok' : 'FAILED'}: ${what}`);
  if (!ok) failures.push(what);
};

const browser = await launch();
const problems = [];
try {
  const page = await browser.newPage();
  page.on('console', (m) => { if (m.type() !== 'log' && m.type() !== 'info' && m.type() !== 'debug') problems.push(`console ${m.type()}: ${m.text()}`); });
  page.on('pageerror', (e) => problems.push(`page error: ${e && e.message ? e.message : e}`));
  page.on('requestfailed', (r) => problems.push(`request failed: ${r.url()}`));
  const cdp = await page.createCDPSession();
  let size = {width: 390, height: 844};
  const metrics = async (landscape) => {
    await cdp.send('Emulation.setDeviceMetricsOverride', {
      width: size.width, height: size.height, deviceScaleFactor: 3, mobile: true,
      screenOrientation: landscape ? {type: 'landscapePrimary', angle: 90} : {type: 'portraitPrimary', angle: 0},
    });
  };
  await cdp.send('Emulation.setTouchEmulationEnabled', {enabled: true, maxTouchPoints: 5});
  await metrics(false);
  await page.goto(url);
  await page.waitForFunction(() => window.Module && Module.velmoraFrames > 0, {timeout: 60000});

  // The Escape button ends the program, as it should, and input aimed a
  // little beyond the canvas lands on it now and then (or on the place it
  // will have once a resize has been laid out), so it is disabled for the
  // session; Escape from the keyboard ends the program at the end.
  await page.evaluate(() => { document.querySelector('button[data-code="Escape"]').disabled = true; });
  const canvasBox = () => page.evaluate(() => {
    const r = document.getElementById('velmora').getBoundingClientRect();
    return {x: r.left, y: r.top, width: r.width, height: r.height};
  });
  // Somewhere on the canvas, or a little beyond it.
  const near = (box) => [box.x - 20 + random() * (box.width + 40), box.y - 20 + random() * (box.height + 40)];
  const keys = ['1', 'p', 'f', 'ArrowUp', 'ArrowDown', 'ArrowLeft', 'a', 'Shift', 'Control', 'Numpad1', 'Space'];
  const held = new Set();

  // Input events are sent without waiting for each to be handled (which
  // takes a frame of the slow checked build), so that they come in bursts;
  // an action waits for all of its own at its end.
  let pending = [];
  const fire = (method, params) => pending.push(cdp.send(method, params));
  const flush = async () => { await Promise.all(pending); pending = []; };

  const actions = {
    async touches() {
      const box = await canvasBox();
      const n = between(1, 5);
      let points = Array.from({length: n}, (_, id) => { const [x, y] = near(box); return {x, y, id}; });
      for (let k = 1; k <= n; ++k) fire('Input.dispatchTouchEvent', {type: 'touchStart', touchPoints: points.slice(0, k)});
      for (let m = between(1, 12); m > 0; --m) {
        points = points.map((p) => ({...p, x: p.x + (random() - 0.5) * 60, y: p.y + (random() - 0.5) * 60}));
        fire('Input.dispatchTouchEvent', {type: 'touchMove', touchPoints: points});
      }
      fire('Input.dispatchTouchEvent', {type: random() < 0.3 ? 'touchCancel' : 'touchEnd', touchPoints: []});
      await flush();
    },
    async pen() {
      const box = await canvasBox();
      let [x, y] = near(box);
      fire('Input.dispatchMouseEvent', {type: 'mousePressed', x, y, button: 'left', buttons: 1, clickCount: 1, pointerType: 'pen'});
      for (let m = between(1, 8); m > 0; --m) {
        x += (random() - 0.5) * 80;
        y += (random() - 0.5) * 80;
        fire('Input.dispatchMouseEvent', {type: 'mouseMoved', x, y, button: 'left', buttons: 1, pointerType: 'pen'});
      }
      fire('Input.dispatchMouseEvent', {type: 'mouseReleased', x, y, button: 'left', buttons: 0, clickCount: 1, pointerType: 'pen'});
      await flush();
    },
    async mouseLeaves() {
      const box = await canvasBox();
      await page.mouse.move(...near(box));
      await page.mouse.down();
      await page.mouse.move(box.x + box.width + 30, box.y - 30, {steps: between(2, 8)});
      // Released outside the canvas, or back over it.
      const outside = random() < 0.5;
      if (outside) await page.mouse.up();
      await page.mouse.move(...near(box), {steps: 3});
      if (!outside) await page.mouse.up();
    },
    async wheel() {
      const box = await canvasBox();
      const [x, y] = near(box);
      for (let m = between(5, 40); m > 0; --m) {
        fire('Input.dispatchMouseEvent', {type: 'mouseWheel', x, y, deltaX: 0, deltaY: (random() < 0.5 ? -1 : 1) * between(1, 300)});
      }
      await flush();
    },
    async keyBurst() {
      for (let m = between(3, 30); m > 0; --m) {
        const key = pick(keys);
        if (held.has(key)) {
          await page.keyboard.up(key);
          held.delete(key);
        } else if (random() < 0.3) {
          await page.keyboard.down(key);
          held.add(key);
        } else {
          await page.keyboard.press(key);
        }
      }
    },
    async buttons() {
      const code = pick(['Digit1', 'KeyP', 'KeyF', 'ArrowUp', 'ArrowDown']);
      const at = await page.evaluate((c) => {
        const b = document.querySelector(`button[data-code="${c}"]`).getBoundingClientRect();
        return [b.left + b.width / 2, b.top + b.height / 2];
      }, code);
      await cdp.send('Input.dispatchTouchEvent', {type: 'touchStart', touchPoints: [{x: at[0], y: at[1], id: 0}]});
      await sleep(between(0, 900));
      await cdp.send('Input.dispatchTouchEvent', {type: random() < 0.2 ? 'touchCancel' : 'touchEnd', touchPoints: []});
    },
    async resize() {
      size = {width: between(280, 1400), height: between(280, 1100)};
      await metrics(size.width > size.height);
    },
    async orientation() {
      size = {width: size.height, height: size.width};
      await metrics(size.width > size.height);
    },
  };

  const names = Object.keys(actions);
  const counts = Object.fromEntries(names.map((n) => [n, 0]));
  const end = Date.now() + seconds * 1000;
  let lastFrames = await page.evaluate(() => Module.velmoraFrames), lastCheck = Date.now(), stalls = 0;
  while (Date.now() < end) {
    const name = pick(names);
    const t0 = Date.now();
    await actions[name]();
    if (process.env.HOSTILE_TRACE) console.log(name, Date.now() - t0);
    ++counts[name];
    await sleep(between(0, 60));
    if (await page.evaluate(() => Module.velmoraEnded === true)) {
      check(false, `the program ran until the end of the session (it ended after a '${name}')`);
      break;
    }
    if (Date.now() - lastCheck > 10000) {
      const frames = await page.evaluate(() => Module.velmoraFrames);
      if (frames <= lastFrames) ++stalls;
      lastFrames = frames;
      lastCheck = Date.now();
    }
  }
  for (const key of held) await page.keyboard.up(key);
  console.log(`hostile: actions ${JSON.stringify(counts)}`);
  check(stalls === 0, `frames kept coming (${stalls} ten-second stretches without a new frame)`);
  const before = await page.evaluate(() => Module.velmoraFrames);
  const alive = await page.waitForFunction((n) => Module.velmoraFrames > n + 10, {timeout: 10000}, before)
    .then(() => true, () => false);
  check(alive, 'the page is alive after the session (ten more frames)');
  await page.keyboard.press('Escape');
  await page.waitForFunction(() => document.getElementById('ended').style.display === 'block', {timeout: 10000})
    .catch(() => {});
  await sleep(500);
  const code = await page.evaluate(() => document.getElementById('code').textContent);
  check(code === '0', `Escape then ends the program with exit code 0 (shows '${code}')`);
} catch (e) {
  check(false, `the session stopped: ${e && e.stack ? e.stack : e}`);
} finally {
  await browser.close();
}
check(problems.length === 0, `no console errors or warnings${problems.length ? ': ' + problems.slice(0, 20).join('; ') : ''}`);
if (failures.length) {
  console.log(`hostile: FAILED: ${failures.join('; ')}`);
  process.exit(1);
}
console.log('hostile: passed');
