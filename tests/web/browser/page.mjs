// What same_canvas.mjs and frame_work.mjs share: Debian's headless Chromium
// (or Firefox ESR, through WebDriver BiDi) started as the browser test starts
// it, and a page of 900 by 760 on a 1280 by 1024 screen, the native runs'
// desktop (Firefox keeps its own screen; the client area does not depend on
// it as long as the window fits).
import puppeteer from 'puppeteer-core';

export const launch = (browserName = 'chromium') => puppeteer.launch(browserName === 'firefox' ? {
  browser: 'firefox', executablePath: '/usr/bin/firefox-esr', headless: true,
} : {
  executablePath: '/usr/bin/chromium',
  headless: true,
  args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
         '--disable-component-update', '--disable-sync'],
});

export const newPage = async (browser, browserName = 'chromium') => {
  const page = await browser.newPage();
  if (browserName === 'firefox') {
    await page.setViewport({width: 900, height: 760});
  } else {
    const cdp = await page.createCDPSession();
    await cdp.send('Emulation.setDeviceMetricsOverride', {
      width: 900, height: 760, deviceScaleFactor: 1, mobile: false, screenWidth: 1280, screenHeight: 1024,
    });
  }
  return page;
};
