// Gamepads through the Gamepad API, as the desktop game reads them through SDL: the left stick
// and the d-pad steer, A releases the balls, X adds a hundred, Start pauses. Buttons reach the
// game as its gamepad keys, the stick as its position; the page polls the pads on every
// animation frame while one is connected (the API has no events for buttons).
'use strict';

(function () {
  const Module = window.Module;
  // The standard mapping's buttons and the game's key codes for them: A, X, Start, d-pad
  // left and right.
  const kButtons = [
    [0, 0xc3],
    [2, 0xc5],
    [9, 0xcf],
    [14, 0xcd],
    [15, 0xce],
  ];
  const held = new Map(); // "pad:button" of every button held down
  let stick = 0;
  let polling = false;

  function setStick(x) {
    if (x !== stick) {
      stick = x;
      Module._vantor_stick(x);
    }
  }

  function poll() {
    const pads = Array.from(navigator.getGamepads ? navigator.getGamepads() : []).filter((p) => p);
    if (Module.vantorReady) {
      let x = 0;
      for (const pad of pads) {
        for (const [button, code] of kButtons) {
          const pressed = Boolean(pad.buttons[button] && pad.buttons[button].pressed);
          const key = pad.index + ':' + button;
          if (pressed !== held.has(key)) {
            if (pressed) held.set(key, code);
            else held.delete(key);
            Module._vantor_key(pressed ? 1 : 0, code, 0, 0);
          }
        }
        // With several pads, the stick pushed furthest steers.
        if (pad.axes.length && Math.abs(pad.axes[0]) > Math.abs(x)) x = pad.axes[0];
      }
      setStick(x);
    }
    polling = pads.length > 0;
    if (polling) requestAnimationFrame(poll);
  }

  window.addEventListener('gamepadconnected', () => {
    if (!polling) {
      polling = true;
      requestAnimationFrame(poll);
    }
  });
  // A pad pulled out lets go of everything it held, so the paddle does not run on.
  window.addEventListener('gamepaddisconnected', (event) => {
    if (!Module.vantorReady) return;
    for (const [key, code] of Array.from(held)) {
      if (key.startsWith(event.gamepad.index + ':')) {
        held.delete(key);
        Module._vantor_key(0, code, 0, 0);
      }
    }
    setStick(0);
  });
})();
