// Measures, in Debian's headless Chromium, a frame's work in the page as
// the page counts it (Module.velmoraWorkMs: from the loop's resumption at
// an animation frame to the hand-over of the converted pixels to the
// canvas) and, apart, the browser's copy into the canvas (putImageData),
// in the program's starting state (help text on, frame counter off), as
// velmora_bench draws it. Prints one line: "page: <work> us <put> us
// <frames>". A measurement for scripts/web_frame.sh, not a test.
//   node frame_work.mjs URL SECONDS
import {launch, newPage} from './page.mjs';

const [url, seconds] = process.argv.slice(2);
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

const browser = await launch();
try {
  const page = await newPage(browser);
  await page.goto(url);
  await page.waitForFunction(() => window.Module && Module.velmoraFrames > 0, {timeout: 20000});
  await sleep(1000);  // warm-up: the compiler's later tiers
  const counters = () => page.evaluate(() => [Module.velmoraWorkMs, Module.velmoraWorkFrames, Module.velmoraPutMs,
                                              Module.velmoraFrames]);
  const [work0, worked0, put0, frames0] = await counters();
  await sleep(1000 * Number(seconds));
  const [work1, worked1, put1, frames1] = await counters();
  const work = (work1 - work0) / (worked1 - worked0) * 1000;
  const put = (put1 - put0) / (frames1 - frames0) * 1000;
  console.log(`page: ${work.toFixed(1)} us ${put.toFixed(1)} us ${worked1 - worked0}`);
} finally {
  await browser.close();
}
