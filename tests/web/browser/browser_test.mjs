// The page in a headless browser (Debian's Chromium, or Firefox ESR), used
// as a user would, in runs chosen on the command line:
//   desktop  a desktop-sized window: the scene and the help text, 1, P, F,
//            Up, Down, a drag, the wheel (towards the user makes the scene
//            larger), Escape with exit code 0; frames per second
//   scale    two pages whose clock is held, so both show the same picture:
//            a drag of N displayed pixels on a canvas shown at half size
//            turns the view as 2N client pixels do at 1:1; GetTickCount
//            keeps pace with the page's clock
//   phone    Chromium's phone emulation (390 by 844, 3 device pixels per
//            CSS pixel, touch): the whole client area painted, no sideways
//            scroll (also at 360 wide), the canvas within the height in
//            landscape; one finger and a pen give the mouse's drag, a pinch
//            the wheel's notches; the key buttons, a held Up repeating,
//            Escape
// Every page must leave the console without errors and warnings, from the
// load to after the program's end.
//   node browser_test.mjs URL SCREENSHOT [chromium|firefox] [RUN,...]
import {launch, sizeDesktop} from './page.mjs';

const [url, screenshot, engine = 'chromium', runList = 'desktop,scale,phone'] = process.argv.slice(2);
const runs = runList.split(',');
const failures = [];
const check = (ok, what) => {
  console.log(`browser (${engine}): ${ok ? 'ok' : 'FAILED'}: ${what}`);
  if (!ok) failures.push(what);
};
const say = (what) => console.log(`browser (${engine}): ${what}`);
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

const browser = await launch(engine);

// Console errors and warnings, page errors and failed requests of every page.
const problems = [];
const watchedPage = async (name) => {
  const page = await browser.newPage();
  page.on('console', (m) => {
    if (['error', 'warn', 'warning', 'assert'].includes(m.type())) problems.push(`${name}: console ${m.type()}: ${m.text()}`);
  });
  page.on('pageerror', (e) => problems.push(`${name}: page error: ${e && e.message ? e.message : e}`));
  page.on('requestfailed', (r) => problems.push(`${name}: request failed: ${r.url()}`));
  page.on('response', (r) => { if (r.status() >= 400) problems.push(`${name}: ${r.status()} for ${r.url()}`); });
  return page;
};

// A page clock the test holds: performance.now stands still (at 0 from the
// start, so that two pages seed their points alike and the points do not
// move) until released, and can be set while held.
const holdClock = (page) => page.evaluateOnNewDocument(() => {
  const real = performance.now.bind(performance);
  let held = true, at = 0, offset = 0;
  performance.now = () => (held ? at : real() - offset);
  window.velmoraTestClock = {
    set(ms) { held = true; at = ms; },
    release() { offset = real() - at; held = false; },
  };
});

const open = async (page) => {
  const start = Date.now();
  await page.goto(url);
  await page.waitForFunction(() => window.Module && Module.velmoraFrames > 0, {timeout: 20000});
  return Date.now() - start;
};

// Brings the page to the front (a page behind another gets no animation
// frames) and waits until the program has drawn a few more frames, so that
// what was queued has been read and drawn.
const settle = async (page, frames = 3) => {
  await page.bringToFront();
  const from = await page.evaluate(() => Module.velmoraFrames);
  await page.waitForFunction((n) => Module.velmoraFrames >= n, {timeout: 10000}, from + frames);
};

// Counts of the scene's colours in the canvas and of anything else: black
// outside the text's lines (the text is white on black cells) is a pixel
// never painted. Then the white cells of the help text's corner
// and the counter's line, the red cube's extent, and a hash of the picture.
const look = (page) => page.evaluate(() => {
  // Read through a copy made for reading, so that the page's own canvas is
  // not read back (which Chromium warns about).
  const canvas = document.getElementById('velmora');
  const copy = document.createElement('canvas');
  copy.width = canvas.width;
  copy.height = canvas.height;
  const context = copy.getContext('2d', {willReadFrequently: true});
  context.drawImage(canvas, 0, 0);
  const data = context.getImageData(0, 0, canvas.width, canvas.height).data;
  const counts = {grey: 0, green: 0, blue: 0, red: 0, white: 0, black: 0, other: 0, textCorner: 0, counterCorner: 0};
  let hash = 0, redLeft = canvas.width, redRight = -1;
  for (let i = 0, p = 0; i < data.length; i += 4, ++p) {
    const rgb = (data[i] << 16) | (data[i + 1] << 8) | data[i + 2];
    hash = (Math.imul(hash, 31) + rgb) | 0;
    const x = p % canvas.width, y = Math.floor(p / canvas.width);
    const textLines = x < 300 && y >= 10 && y < 110;
    if (rgb === 0x787878) counts.grey++;
    else if (rgb === 0x00FA00) counts.green++;
    else if (rgb === 0x0000FA) counts.blue++;
    else if (rgb === 0xFA0000) {
      counts.red++;
      redLeft = Math.min(redLeft, x);
      redRight = Math.max(redRight, x);
    } else if (rgb === 0xFFFFFF) {
      counts.white++;
      if (x < 300 && y >= 30 && y < 110) counts.textCorner++;  // the four help lines
      if (x < 200 && y >= 10 && y < 26) counts.counterCorner++;  // the frame counter's line
    } else if (rgb === 0 && !textLines) counts.black++;
    else if (rgb === 0) counts.white++;
    else counts.other++;
  }
  return {...counts, hash, redSpan: redRight - redLeft + 1, total: canvas.width * canvas.height};
});

// A picture that must stand still: two looks a second apart are the same.
// Gives the second.
const stillFor = async (page, what) => {
  const first = await look(page);
  await sleep(1000);
  const second = await look(page);
  check(first.hash === second.hash, `${what}: two looks a second apart are the same`);
  return second;
};

const canvasBox = (page) => page.evaluate(() => {
  const r = document.getElementById('velmora').getBoundingClientRect();
  return {x: r.left, y: r.top, width: r.width, height: r.height};
});

const ended = async (page) => {
  await page.bringToFront();
  await page.waitForFunction(() => document.getElementById('ended').style.display === 'block', {timeout: 5000})
    .catch(() => {});
  await sleep(500);  // what the page might still throw after the end
  return page.evaluate(() => document.getElementById('code').textContent);
};

// The scene comes up: the points start at random places, and some starts
// put most of the surface outside the window for a moment.
const sceneShown = async (page, label) => {
  let seen = await look(page);
  for (let i = 0; i < 30 && seen.green <= 1000; ++i) {
    await sleep(100);
    seen = await look(page);
  }
  check(seen.grey > seen.total / 2 && seen.green > 1000 && seen.blue > 50 && seen.red > 1000,
        `${label}: the scene: grey ${seen.grey}, green ${seen.green}, blue ${seen.blue}, red ${seen.red}`);
  check(seen.textCorner > 500, `${label}: the help text (${seen.textCorner} white text pixels)`);
  return seen;
};

async function desktopRun() {
  const page = await watchedPage('desktop');
  await sizeDesktop(page, engine);
  say(`desktop: first frame ${await open(page)} ms after the page was asked for`);
  check((await page.title()) === 'VELMORA', 'desktop: the document title is "VELMORA"');
  const box = await canvasBox(page);
  check(box.width === 792 && box.height === 673, `desktop: the canvas is shown at 1:1 (${box.width} by ${box.height})`);
  let seen = await sceneShown(page, 'desktop');
  check(seen.black === 0 && seen.other === 0, `desktop: every pixel painted (${seen.black} black, ${seen.other} other)`);
  await page.screenshot({path: screenshot});
  const press = async (key) => { await page.keyboard.press(key); await settle(page); };

  await press('1');
  seen = await look(page);
  check(seen.textCorner === 0, `desktop: 1 hides the help text (${seen.textCorner} white text pixels left)`);

  await press('p');
  const paused2 = await stillFor(page, 'desktop: P freezes the picture');

  // While paused, only the input changes the picture.
  await press('ArrowUp');
  const up = await look(page);
  check(up.hash !== paused2.hash, 'desktop: Up turns the view');
  await press('ArrowDown');
  const down = await look(page);
  check(down.hash !== up.hash, 'desktop: Down turns the view');
  const cx = Math.round(box.x + box.width / 2), cy = Math.round(box.y + box.height / 2);
  await page.mouse.move(cx, cy);
  await page.mouse.down();
  for (let k = 1; k <= 6; ++k) await page.mouse.move(cx + 10 * k, cy + 5 * k);
  await page.mouse.up();
  await settle(page);
  const dragged = await look(page);
  check(dragged.hash !== down.hash, 'desktop: a drag turns the view');
  // One notch towards the user (a positive deltaY, scrolling down) zooms
  // in, one away zooms out.
  await page.mouse.wheel({deltaY: 100});
  await settle(page);
  const nearer = await look(page);
  check(nearer.redSpan > dragged.redSpan,
        `desktop: the wheel towards the user makes the scene larger (red cube ${dragged.redSpan} -> ${nearer.redSpan} pixels wide)`);
  await page.mouse.wheel({deltaY: -100});
  await settle(page);
  const farther = await look(page);
  check(farther.redSpan < nearer.redSpan,
        `desktop: the wheel away from the user makes it smaller (${nearer.redSpan} -> ${farther.redSpan} pixels wide)`);

  await press('p');
  const running1 = await look(page);
  await sleep(1000);
  const running2 = await look(page);
  check(running1.hash !== running2.hash, 'desktop: P again resumes the motion');

  await press('f');
  await sleep(2500);  // the counter's text renews every two seconds
  seen = await look(page);
  check(seen.counterCorner > 100, `desktop: F shows the frame counter (${seen.counterCorner} white pixels at its line)`);

  const counters = () => page.evaluate(() => [Module.velmoraFrames, Module.velmoraWorkMs, Module.velmoraWorkFrames]);
  const [frames0, work0, worked0] = await counters();
  await sleep(2000);
  const [frames1, work1, worked1] = await counters();
  say(`desktop: ${((frames1 - frames0) / 2).toFixed(1)} frames shown per second`);
  say(`desktop: a frame's work in the page (from the loop's resumption to its copy into the canvas): ` +
      `${((work1 - work0) / (worked1 - worked0) * 1000).toFixed(0)} us`);

  await page.keyboard.press('Escape');
  const code = await ended(page);
  check(code === '0', `desktop: Escape ends the program and the page shows exit code 0 (shows '${code}')`);
  await page.close();
}

// Two pages with held clocks show the same picture; each takes its input,
// and the pictures must stay the same.
const twins = async (label, setup) => {
  const pages = [];
  for (const [index, name] of [`${label} A`, `${label} B`].entries()) {
    const page = await watchedPage(name);
    await holdClock(page);
    await setup(page, index);
    await page.bringToFront();
    const ms = await open(page);
    if (index === 0) say(`${label}: first frame ${ms} ms after the page was asked for`);
    await settle(page);
    pages.push(page);
  }
  const [a, b] = [await look(pages[0]), await look(pages[1])];
  check(a.hash === b.hash, `${label}: two pages with the clock held show the same picture`);
  return pages;
};

async function scaleRun() {
  // A is 396 CSS pixels wide, half the client area; B shows it at 1:1.
  const [half, whole] = await twins('scale', (page, index) => sizeDesktop(page, engine, index === 0 ? 396 : 900, 1000));
  const halfBox = await canvasBox(half), wholeBox = await canvasBox(whole);
  check(halfBox.width === 396 && wholeBox.width === 792,
        `scale: the canvas is shown ${halfBox.width} and ${wholeBox.width} pixels wide`);
  const drag = async (page, box, step) => {
    await page.bringToFront();
    const x = Math.round(box.x) + 100 * step, y = Math.round(box.y) + 80 * step;
    await page.mouse.move(x, y);
    await page.mouse.down();
    for (let k = 1; k <= 6; ++k) await page.mouse.move(x + 7 * k * step, y + 3 * k * step);
    await page.mouse.up();
    await settle(page);
  };
  const before = await look(half);
  await drag(half, halfBox, 1);
  await drag(whole, wholeBox, 2);
  const [a, b] = [await look(half), await look(whole)];
  check(a.hash !== before.hash && a.hash === b.hash,
        'scale: a drag of N displayed pixels at half size turns the view as one of 2N client pixels at 1:1');

  // GetTickCount against the page's clock, one second apart: 1000 ms give
  // 1000 within one step of the 64 Hz timer.
  for (const start of [5000, 123457]) {
    const ticks = await half.evaluate((ms) => {
      velmoraTestClock.set(ms);
      const t0 = Module._GetTickCount();
      velmoraTestClock.set(ms + 1000);
      return Module._GetTickCount() - t0;
    }, start);
    check(ticks >= 1000 - 16 && ticks <= 1000 + 16,
          `scale: GetTickCount advances ${ticks} ms over the page's 1000 ms from ${start} ms`);
  }
  for (const page of [half, whole]) {
    await page.bringToFront();
    await page.keyboard.press('Escape');
    const code = await ended(page);
    check(code === '0', `scale: Escape ends the program with exit code 0 (shows '${code}')`);
    await page.close();
  }
}

async function phoneRun() {
  const phone = {
    userAgent: 'Mozilla/5.0 (Linux; Android 14; Pixel 8) AppleWebKit/537.36 (KHTML, like Gecko) ' +
               'Chrome/126.0.0.0 Mobile Safari/537.36',
    viewport: {width: 390, height: 844, deviceScaleFactor: 3, isMobile: true, hasTouch: true},
  };
  // No screen override: the screen is the phone's, 390 by 844.
  const [touch, mouse] = await twins('phone', (page) => page.emulate(phone));
  const screenWidth = await touch.evaluate(() => screen.width);
  check(screenWidth === 390, `phone: the screen is the phone's (${screenWidth} CSS pixels wide)`);
  const noSideScroll = (page) => page.evaluate(() => document.documentElement.scrollWidth <= window.innerWidth);
  check(await noSideScroll(touch), 'phone: no horizontal scroll at 390 wide');
  let seen = await sceneShown(touch, 'phone');
  check(seen.black === 0 && seen.other === 0,
        `phone: no unpainted pixel of the client area (${seen.black} black, ${seen.other} other)`);
  const box = await canvasBox(touch);
  check(box.width <= 390, `phone: the canvas fits the width (${box.width} CSS pixels)`);
  const cdp = await touch.createCDPSession();
  const touchAt = async (type, points) => {
    if (type === 'touchStart') await touch.bringToFront();
    await cdp.send('Input.dispatchTouchEvent', {
      type, touchPoints: points.map(([x, y], id) => ({x, y, id})),
    });
  };
  const same = async (what) => {
    await settle(touch);
    const a = await look(touch);
    await settle(mouse);
    const b = await look(mouse);
    check(a.hash === b.hash, `phone: ${what}`);
    return a;
  };

  // One finger, then a pen, against the mouse along the same path.
  const path = (x, y) => Array.from({length: 7}, (_, k) => [x + 9 * k, y + 5 * k]);
  const mouseAlong = async (points) => {
    await mouse.bringToFront();
    await mouse.mouse.move(...points[0]);
    await mouse.mouse.down();
    for (const p of points.slice(1)) await mouse.mouse.move(...p);
    await mouse.mouse.up();
  };
  const before = await look(touch);
  const finger = path(Math.round(box.x + 120), Math.round(box.y + 100));
  await touchAt('touchStart', [finger[0]]);
  for (const p of finger.slice(1)) await touchAt('touchMove', [p]);
  await touchAt('touchEnd', []);
  await mouseAlong(finger);
  const fingered = await same('a one-finger drag gives the same picture as the mouse along the same path');
  check(fingered.hash !== before.hash, 'phone: the one-finger drag turns the view');
  const pen = path(Math.round(box.x + 200), Math.round(box.y + 150));
  const penEvent = (type, [x, y], buttons) => cdp.send('Input.dispatchMouseEvent', {
    type, x, y, button: 'left', buttons, clickCount: 1, pointerType: 'pen',
  });
  await touch.bringToFront();
  await penEvent('mousePressed', pen[0], 1);
  for (const p of pen.slice(1)) await penEvent('mouseMoved', p, 1);
  await penEvent('mouseReleased', pen[pen.length - 1], 0);
  await mouseAlong(pen);
  await same('a pen drag gives the same picture as the mouse along the same path');

  // A pinch, the two contacts moving a pixel at a time, against the
  // wheel's notches at the same place.
  const mx = Math.round(box.x + box.width / 2), my = Math.round(box.y + box.height / 2);
  const pinch = async (from, to) => {
    const at = (d) => [[mx - d / 2, my], [mx + d / 2, my]];
    await touchAt('touchStart', [at(from)[0]]);
    await touchAt('touchStart', at(from));
    for (let d = from; d !== to; d += Math.sign(to - from) * 2) await touchAt('touchMove', at(d));
    await touchAt('touchMove', at(to));
    await touchAt('touchEnd', []);
  };
  const notches = 3, step = await touch.evaluate(() => Module.velmoraPinchStep);
  const wheel = async (deltaY) => {
    await mouse.bringToFront();
    await mouse.mouse.move(mx, my);
    for (let i = 0; i < notches; ++i) await mouse.mouse.wheel({deltaY});
  };
  const beforePinch = await look(touch);
  await pinch(60, 60 + notches * step + step / 2);
  await wheel(100);
  const apart = await same(`a pinch apart gives the picture of ${notches} wheel notches towards the user`);
  check(apart.redSpan > beforePinch.redSpan, `phone: a pinch apart zooms in (red cube ${beforePinch.redSpan} -> ${apart.redSpan})`);
  await pinch(60 + notches * step + step / 2, 60);
  await wheel(-100);
  const together = await same(`a pinch together gives the picture of ${notches} notches away from the user`);
  check(together.redSpan < apart.redSpan, `phone: a pinch together zooms out (red cube ${apart.redSpan} -> ${together.redSpan})`);

  // The buttons: each gives its key; count what reaches the queue too.
  const button = async (page, code) => {
    const r = await page.evaluate((c) => {
      const element = document.querySelector(`button[data-code="${c}"]`);
      element.scrollIntoView({block: 'center'});
      const b = element.getBoundingClientRect();
      return [b.left + b.width / 2, b.top + b.height / 2];
    }, code);
    return r.map(Math.round);
  };
  const tap = async (code, drawn = true) => {
    const p = await button(touch, code);
    await touchAt('touchStart', [p]);
    await touchAt('touchEnd', []);
    if (drawn) await settle(touch);
  };
  const labels = await touch.evaluate(() => [...document.querySelectorAll('#keys button')].map(
    (b) => [b.dataset.code, b.getAttribute('aria-label')]));
  check(labels.length === 6 && labels.every(([, l]) => l && l.length > 2),
        `phone: six key buttons, each with a label (${labels.map(([c, l]) => `${c}: ${l}`).join('; ')})`);
  await tap('ArrowUp');
  await mouse.bringToFront();
  await mouse.keyboard.press('ArrowUp');
  const upped = await same('the Up button gives the picture of the Up key');
  check(upped.hash !== together.hash, 'phone: the Up button turns the view');
  await tap('ArrowDown');
  await mouse.bringToFront();
  await mouse.keyboard.press('ArrowDown');
  await same('the Down button gives the picture of the Down key');
  await mouse.close();

  await touch.evaluate(() => velmoraTestClock.release());
  await tap('KeyP');
  await stillFor(touch, 'phone: the P button pauses');
  await tap('Digit1');
  seen = await look(touch);
  check(seen.textCorner === 0, `phone: the 1 button hides the help text (${seen.textCorner} white pixels left)`);
  await tap('KeyF');
  await sleep(2500);
  seen = await look(touch);
  check(seen.counterCorner > 100, `phone: the F button shows the frame counter (${seen.counterCorner} white pixels)`);
  // The physical keyboard still reaches the program after a button.
  await touch.keyboard.press('1');
  await settle(touch);
  seen = await look(touch);
  check(seen.textCorner > 500, 'phone: after the buttons, the keyboard\'s 1 shows the help text again');

  // Holding Up: one key-down at once, repeats after about half a second
  // while held, the key-up at the release and nothing after it.
  await touch.evaluate(() => {
    window.upEvents = [];
    const queue = Module.velmoraEvents, push = queue.push.bind(queue);
    queue.push = (e) => { if (e[1] === 0x26) window.upEvents.push([e[0], e[2], performance.now()]); return push(e); };
  });
  const upAt = await button(touch, 'ArrowUp');
  const beforeHold = await look(touch);
  await touchAt('touchStart', [upAt]);
  await sleep(1500);
  await touchAt('touchEnd', []);
  await sleep(300);
  const events = await touch.evaluate(() => window.upEvents);
  const downs = events.filter((e) => e[0] === 1), repeats = downs.filter((e) => e[1] === 1);
  const firstRepeat = repeats.length ? repeats[0][2] - downs[0][2] : NaN;
  check(downs.length > 10 && downs[0][1] === 0 && repeats.length === downs.length - 1 && firstRepeat >= 450 &&
        events[events.length - 1][0] === 2 && events.filter((e) => e[0] === 2).length === 1,
        `phone: holding the Up button repeats: ${downs.length} key-downs (the first repeat after ` +
        `${firstRepeat.toFixed(0)} ms), then one key-up`);
  await settle(touch);
  const held = await look(touch);
  check(held.hash !== beforeHold.hash, 'phone: the held Up turns the view');

  // A pen lifted outside the canvas still ends its drag (the page captures
  // it): the mouse moving over the canvas afterwards turns nothing.
  const canvasNow = await canvasBox(touch);
  const bottom = Math.round(canvasNow.y + canvasNow.height);
  const out = Array.from({length: 6}, (_, k) => [Math.round(canvasNow.x + 150), bottom - 30 + 12 * k]);
  await touch.bringToFront();
  await penEvent('mousePressed', out[0], 1);
  for (const p of out.slice(1)) await penEvent('mouseMoved', p, 1);
  await penEvent('mouseReleased', out[out.length - 1], 0);
  await settle(touch);
  const lifted = await look(touch);
  for (let k = 0; k < 5; ++k) await touch.mouse.move(Math.round(canvasNow.x + 100 + 20 * k), Math.round(canvasNow.y + 100));
  await settle(touch);
  check((await look(touch)).hash === lifted.hash, 'phone: a pen lifted outside the canvas ends its drag');

  // Other sizes: 360 wide, and a phone in landscape.
  await touch.setViewport({width: 360, height: 780, deviceScaleFactor: 3, isMobile: true, hasTouch: true});
  await settle(touch);
  check(await noSideScroll(touch), 'phone: no horizontal scroll at 360 wide');
  await touch.setViewport({width: 844, height: 390, deviceScaleFactor: 3, isMobile: true, hasTouch: true});
  await settle(touch);
  const landscape = await canvasBox(touch);
  check(await noSideScroll(touch) && landscape.y + landscape.height <= 390,
        `phone: in landscape the canvas fits the height (${landscape.width.toFixed(0)} by ${landscape.height.toFixed(0)})`);

  await tap('Escape', false);
  const code = await ended(touch);
  check(code === '0', `phone: the Escape button ends the program and the page shows exit code 0 (shows '${code}')`);
  const inert = await touch.evaluate(() => [...document.querySelectorAll('#keys button')].every((b) => b.disabled));
  check(inert, 'phone: after the end the key buttons do nothing (disabled)');
  await tap('KeyP', false);
  await sleep(300);
  await touch.close();
}

try {
  if (runs.includes('desktop')) await desktopRun();
  if (runs.includes('scale')) await scaleRun();
  if (runs.includes('phone')) await phoneRun();
} catch (e) {
  check(false, `the run stopped: ${e && e.stack ? e.stack : e}`);
} finally {
  await browser.close();
}
check(problems.length === 0, `no console errors or warnings${problems.length ? ': ' + problems.join('; ') : ''}`);
if (failures.length) {
  say(`FAILED: ${failures.join('; ')}`);
  process.exit(1);
}
say('passed');
