// The page's input for the web backend (web.cpp), put into velmora.js ahead
// of the program (--pre-js). Everything becomes an event in
// Module.velmoraEvents, [type, a, b, c], which the backend's poll turns into
// the messages Windows posts:
//   1 key down (virtual key, repeat), 2 key up (virtual key),
//   3 move (x, y), 4 left button down (x, y), 5 left button up (x, y),
//   6 wheel (delta, x, y), with x and y in client pixels.
// Touch and pen come as Windows gives them to a program that handles no
// touch messages: the first contact is the left button, and a second one
// turns the gesture into a pinch, which is the wheel. The buttons under the
// canvas (data-code, the key's KeyboardEvent.code) are the keys for a device
// without a keyboard.

// Distance, in CSS pixels, by which two contacts have to spread or close for
// one wheel notch: about a centimetre on a phone, so that pinching across
// the width of a phone gives some seven notches, the zoom of a short turn of
// the wheel, and a finger's jitter never gives one.
Module.velmoraPinchStep = 40;
// Auto-repeat of a held Up or Down button, as a keyboard's default: the
// first repeat after this delay, then one every interval.
Module.velmoraRepeatDelayMs = 500;
Module.velmoraRepeatIntervalMs = 33;

Module.velmoraListen = function (canvas) {
  const push = (type, a, b, c) => { if (!Module.velmoraEnded) Module.velmoraEvents.push([type, a, b, c]); };

  // Virtual-key codes: letters and main-keyboard digits are their upper-case
  // ASCII codes, the keypad's digits 0x60 up, Escape and the arrows their own.
  const virtualKey = (code) => {
    const named = {Escape: 0x1B, ArrowLeft: 0x25, ArrowUp: 0x26, ArrowRight: 0x27, ArrowDown: 0x28,
                   Space: 0x20, Enter: 0x0D, Backspace: 0x08, Tab: 0x09,
                   ShiftLeft: 0x10, ShiftRight: 0x10, ControlLeft: 0x11, ControlRight: 0x11};
    if (code in named) return named[code];
    let m = /^Key([A-Z])$/.exec(code);
    if (m) return m[1].charCodeAt(0);
    m = /^Digit([0-9])$/.exec(code);
    if (m) return 0x30 + Number(m[1]);
    m = /^Numpad([0-9])$/.exec(code);
    if (m) return 0x60 + Number(m[1]);
    return 0;
  };
  // A focused button keeps its own Enter and Space, so that it can be
  // pressed from the keyboard as any button can.
  const buttonKey = (e) => e.target instanceof HTMLButtonElement && (e.code === 'Enter' || e.code === 'Space');
  window.addEventListener('keydown', (e) => {
    const vk = virtualKey(e.code);
    if (!vk || buttonKey(e)) return;
    push(1, vk, e.repeat ? 1 : 0, 0);
    e.preventDefault();
  });
  window.addEventListener('keyup', (e) => {
    const vk = virtualKey(e.code);
    if (vk && !buttonKey(e)) push(2, vk, 0, 0);
  });

  // Client pixels of a point in the page: the canvas keeps its backing
  // store's size and CSS scales it, so a displayed pixel is mapped back
  // through the scale. A contact held by pointer capture may be outside
  // the canvas; its position is held to the client area's edge.
  const at = (x, y, clamp) => {
    const r = canvas.getBoundingClientRect();
    let cx = Math.floor((x - r.left) * canvas.width / r.width);
    let cy = Math.floor((y - r.top) * canvas.height / r.height);
    if (clamp) {
      cx = Math.min(Math.max(cx, 0), canvas.width - 1);
      cy = Math.min(Math.max(cy, 0), canvas.height - 1);
    }
    return [cx, cy];
  };

  // The mouse, without capture, as on Windows without SetCapture: a
  // release outside the canvas is not seen.
  canvas.addEventListener('mousemove', (e) => { const p = at(e.clientX, e.clientY, false); push(3, p[0], p[1], 0); });
  canvas.addEventListener('mousedown', (e) => {
    if (e.button === 0) { const p = at(e.clientX, e.clientY, false); push(4, p[0], p[1], 0); }
  });
  canvas.addEventListener('mouseup', (e) => {
    if (e.button === 0) { const p = at(e.clientX, e.clientY, false); push(5, p[0], p[1], 0); }
  });
  canvas.addEventListener('wheel', (e) => {
    e.preventDefault();  // the page itself does not scroll
    const p = at(e.clientX, e.clientY, false);
    // Away from the user is a positive WHEEL_DELTA, as on Windows.
    if (e.deltaY !== 0) push(6, e.deltaY < 0 ? 120 : -120, p[0], p[1]);
  }, {passive: false});

  // Touch and pen. contacts: pointer id -> [clientX, clientY] of the two
  // contacts that count; dragging: the one acting as the left button;
  // pinch: the distance of the last notch while two contacts are down.
  const contacts = new Map();
  let dragging = null;
  let pinch = null;
  const distance = () => {
    const [a, b] = [...contacts.values()];
    return Math.hypot(a[0] - b[0], a[1] - b[1]);
  };
  const midpoint = () => {
    const [a, b] = [...contacts.values()];
    return at((a[0] + b[0]) / 2, (a[1] + b[1]) / 2, true);
  };
  const contact = (e) => e.pointerType === 'touch' || e.pointerType === 'pen';
  canvas.addEventListener('pointerdown', (e) => {
    if (!contact(e)) return;
    e.preventDefault();  // no mouse events made up from the contact
    if (contacts.size >= 2) return;  // beyond the second: ignored
    // Capture for touch and pen only: a lifted contact always ends its
    // gesture, wherever it is.
    canvas.setPointerCapture(e.pointerId);
    contacts.set(e.pointerId, [e.clientX, e.clientY]);
    if (contacts.size === 1) {
      dragging = e.pointerId;
      const p = at(e.clientX, e.clientY, true);
      push(3, p[0], p[1], 0);  // the cursor goes to the contact, then presses
      push(4, p[0], p[1], 0);
    } else {
      if (dragging !== null) {
        const p = contacts.get(dragging);
        const q = at(p[0], p[1], true);
        push(5, q[0], q[1], 0);
        dragging = null;
      }
      pinch = distance();
    }
  });
  canvas.addEventListener('pointermove', (e) => {
    if (!contacts.has(e.pointerId)) return;
    contacts.set(e.pointerId, [e.clientX, e.clientY]);
    if (e.pointerId === dragging) {
      const p = at(e.clientX, e.clientY, true);
      push(3, p[0], p[1], 0);
    } else if (pinch !== null && contacts.size === 2) {
      const d = distance(), step = Module.velmoraPinchStep;
      const p = midpoint();
      // Spreading the fingers zooms in, as the wheel turned towards the
      // user (a negative delta) does.
      for (; d - pinch >= step; pinch += step) push(6, -120, p[0], p[1]);
      for (; pinch - d >= step; pinch -= step) push(6, 120, p[0], p[1]);
    }
  });
  const lift = (e) => {
    if (!contacts.has(e.pointerId)) return;
    if (e.pointerId === dragging) {
      const p = at(e.clientX, e.clientY, true);
      push(5, p[0], p[1], 0);
      dragging = null;
    }
    contacts.delete(e.pointerId);
    // The contact left of a pinch starts nothing until it lifts.
    pinch = null;
  };
  canvas.addEventListener('pointerup', lift);
  canvas.addEventListener('pointercancel', lift);
  // A gesture that the browser takes over (a system gesture, a lost
  // capture) still ends.
  canvas.addEventListener('lostpointercapture', lift);

  // The key buttons: a press is the key going down, a release the key
  // coming up; Up and Down repeat while held. A button pressed from the
  // keyboard or a screen reader (a click without a pointer) gives one pair.
  for (const button of document.querySelectorAll('button[data-code]')) {
    const vk = virtualKey(button.dataset.code);
    const repeats = vk === 0x26 || vk === 0x28;
    let timer = null, held = null;
    const release = () => {
      if (held === null) return;
      clearTimeout(timer);
      clearInterval(timer);
      timer = held = null;
      push(2, vk, 0, 0);
    };
    button.addEventListener('pointerdown', (e) => {
      if (e.button !== 0 || held !== null || button.disabled) return;
      // The focus stays where it was, so the physical keyboard goes on
      // reaching the page as before.
      e.preventDefault();
      button.setPointerCapture(e.pointerId);
      held = e.pointerId;
      push(1, vk, 0, 0);
      if (repeats) {
        timer = setTimeout(() => {
          timer = setInterval(() => push(1, vk, 1, 0), Module.velmoraRepeatIntervalMs);
        }, Module.velmoraRepeatDelayMs);
      }
    });
    for (const end of ['pointerup', 'pointercancel', 'lostpointercapture']) {
      button.addEventListener(end, (e) => { if (e.pointerId === held) release(); });
    }
    button.addEventListener('click', (e) => {
      if (e.detail === 0 && held === null) { push(1, vk, 0, 0); push(2, vk, 0, 0); }
    });
    button.addEventListener('contextmenu', (e) => e.preventDefault());  // a long press is a hold
    Module.velmoraReleaseButtons.push(() => { release(); button.disabled = true; });
  }
};

// Once the program has ended the buttons do nothing: a held one stops
// repeating, and all of them are disabled.
Module.velmoraReleaseButtons = [];
Module.velmoraEnd = function () {
  Module.velmoraEnded = true;
  for (const release of Module.velmoraReleaseButtons) release();
};
{
  const pageExit = Module['onExit'], pageAbort = Module['onAbort'];
  Module['onExit'] = (code) => { Module.velmoraEnd(); if (pageExit) pageExit(code); };
  Module['onAbort'] = (what) => { Module.velmoraEnd(); if (pageAbort) pageAbort(what); };
}
