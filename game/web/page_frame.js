// What every page of the site does around its canvas, whatever the program inside: the canvas
// scaled to the stage, the program's download shown on the loading line, the full-screen button
// and the offline copy. The pages share their layout (page.css): a bar of controls, the loading
// line, and the stage below them.
import { readStream } from './board_link.js';

// Keeps canvas, width x height picture pixels, as large as the stage allows: the largest whole
// multiple that fits, in device pixels, so that every picture pixel is a sharp square. Where not
// even 1x fits, and on dense screens (two device pixels or more to a CSS pixel, as on phones)
// where only 1x would, which there fills about half the screen, it takes the largest fit: there
// the pixels' uneven widths are too small to see. Returns the fit, whose scale (device pixels to
// a picture pixel) follows the stage.
export function fitCanvas(canvas, stage, width, height) {
  const fitted = { scale: 1 };
  function fit() {
    const ratio = window.devicePixelRatio || 1;
    const fits = Math.min((stage.clientWidth * ratio) / width,
                          (stage.clientHeight * ratio) / height);
    if (!(fits > 0)) return; // hidden: keep the last scale
    const whole = Math.floor(fits);
    fitted.scale = whole >= 2 || (whole === 1 && ratio < 2) ? whole : fits;
    canvas.style.width = (width * fitted.scale) / ratio + 'px';
    canvas.style.height = (height * fitted.scale) / ratio + 'px';
  }
  // The stage changes with the window, and with the bar above it (a long message, the loading
  // line going away).
  window.addEventListener('resize', fit);
  new ResizeObserver(fit).observe(stage);
  fit();
  return fitted;
}

// Picture pixels under a pointer event: every device pixel of a scaled-up picture pixel gives
// that pixel's whole coordinates. Outside the canvas (while captured) they run past its edges.
export function pixelAt(canvas, fitted, event) {
  const rect = canvas.getBoundingClientRect();
  const ratio = window.devicePixelRatio || 1;
  return [
    Math.floor(((event.clientX - rect.left) * ratio) / fitted.scale),
    Math.floor(((event.clientY - rect.top) * ratio) / fitted.scale),
  ];
}

// An Emscripten module's instantiateWasm for the program at url, its download shown as it
// arrives on the loading line (a progress bar and a text; the player may be on a slow line),
// which says why when it fails and hides when the page calls done(). A compressed transfer
// announces its compressed length, not what the stream gives: then only the count shows.
export function loadingLine(loading, url, what) {
  const bar = loading.querySelector('progress');
  const text = loading.querySelector('span');
  async function load(imports) {
    const response = await fetch(url);
    if (!response.ok) throw new Error(`${response.status} ${response.statusText}`);
    const encoded = response.headers.get('Content-Encoding');
    const total = encoded ? 0 : Number(response.headers.get('Content-Length')) || 0;
    const kb = (n) => Math.ceil(n / 1024);
    const bytes = await readStream(response.body, Infinity, '', (received) => {
      if (total) bar.max = total;
      if (total) bar.value = received;
      text.textContent = `Loading ${what}: ${kb(received)}${total ? ` of ${kb(total)}` : ''} KB`;
    });
    return WebAssembly.instantiate(bytes, imports);
  }
  return {
    instantiateWasm(imports, receive) {
      load(imports).then(
        (result) => receive(result.instance, result.module),
        (error) => {
          text.textContent = `${url} cannot be loaded: ${error.message}`;
        }
      );
      return {};
    },
    done() {
      loading.hidden = true;
    },
  };
}

// The full-screen button, for the whole page, so that the bar stays; the stage grows with it.
// Browsers without it (a phone's Safari) show no button. focus gets the keys back after a click.
export function offerFullScreen(button, focus, showMessage) {
  if (!document.fullscreenEnabled) return;
  button.hidden = false;
  button.addEventListener('click', () => {
    focus.focus();
    if (document.fullscreenElement) document.exitFullscreen();
    else document.documentElement.requestFullscreen().catch((error) => showMessage(error.message));
  });
  document.addEventListener('fullscreenchange', () => {
    button.textContent = document.fullscreenElement ? 'Leave full screen' : 'Full screen';
  });
}

// The offline copy (service_worker.js), registered once the page's program runs so that filling
// it never competes with the program's own download. The browser looks for a new one on every
// visit, past any HTTP cache. Only pages served securely (https, or this computer) have one.
export function keepOfflineCopy() {
  if (!navigator.serviceWorker) return;
  navigator.serviceWorker
    .register('service_worker.js', { updateViaCache: 'none' })
    .catch((error) => console.warn('No offline copy: ' + error.message));
}
