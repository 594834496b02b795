// What the browser scripts share: Debian's headless Chromium (or Firefox
// ESR, through WebDriver BiDi) started with the same flags everywhere, and
// a desktop-sized page on a 1280 by 1024 screen, the native runs' desktop
// (Firefox keeps its own screen; the client area does not depend on it as
// long as the window fits).
import puppeteer from 'puppeteer-core';

export const launch = (browserName = 'chromium') => puppeteer.launch(browserName === 'firefox' ? {
  browser: 'firefox', executablePath: '/usr/bin/firefox-esr', headless: true,
} : {
  executablePath: '/usr/bin/chromium',
  headless: true,
  args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
         '--disable-component-update', '--disable-sync'],
});

// Gives page a desktop viewport of width by height CSS pixels.
export const sizeDesktop = async (page, browserName = 'chromium', width = 900, height = 760) => {
  if (browserName === 'firefox') {
    await page.setViewport({width, height});
  } else {
    const cdp = await page.createCDPSession();
    await cdp.send('Emulation.setDeviceMetricsOverride', {
      width, height, deviceScaleFactor: 1, mobile: false, screenWidth: 1280, screenHeight: 1024,
    });
  }
};

export const newPage = async (browser, browserName = 'chromium') => {
  const page = await browser.newPage();
  await sizeDesktop(page, browserName);
  return page;
};
