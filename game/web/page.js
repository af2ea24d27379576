// The page around the game: it turns pointer, touch, key and file events into calls of the
// game's exported functions, gives the game its waits, its caption and its screen, and opens
// boards that come in the address; page_frame.js scales the canvas and shows the download. A
// module, so it runs after the page is parsed and before the deferred scripts that follow it
// (sound.js, gamepad.js and the game, Vantor.js).
import {
  decodeBoardLink,
  encodeBoardLink,
  kLargestBoard,
  kLinkName,
  linkData,
  readStream,
} from './board_link.js';
import { fitCanvas, keepOfflineCopy, loadingLine, offerFullScreen, pixelAt } from './page_frame.js';

(function () {
  const canvas = document.getElementById('playfield');
  const context = canvas.getContext('2d', { alpha: false });
  const caption = document.getElementById('caption');
  const message = document.getElementById('message');
  const boardFile = document.getElementById('boardFile');
  const stage = document.getElementById('stage');
  const copyLink = document.getElementById('copyLink');
  const fitted = fitCanvas(canvas, stage, 600, 480);
  const loading = loadingLine(document.getElementById('loading'), 'Vantor.wasm', 'the game');
  let image = null;
  let wake = null;
  let ready = false;
  // The board file being played, for Copy link; null for the built-in board.
  let playing = null;
  let startTimer = null;
  const timerChannel = new MessageChannel();
  timerChannel.port1.onmessage = () => {
    if (startTimer) startTimer();
    startTimer = null;
  };

  // A message beside the controls: a refusal, or (notice) news of something done.
  function showMessage(text, notice) {
    message.textContent = text;
    message.classList.toggle('notice', Boolean(notice));
  }

  const kTooLarge = `more than the largest board (${kLargestBoard} bytes)`;

  // A copy of bytes in the game's memory, or 0 when the memory cannot grow that far.
  function copyIn(bytes) {
    const at = Module._malloc(Math.max(bytes.length, 1));
    if (at) HEAPU8.set(bytes, at);
    return at;
  }

  // The start board's bytes from read(), kept for Copy link until the game refuses them; null,
  // with the reason on the page, when they cannot be had.
  async function offer(read, name) {
    try {
      playing = await read();
    } catch (error) {
      showMessage(`${name}: ${error.message}; playing the built-in board`);
    }
    return playing;
  }

  const Module = (window.Module = {
    canvas: canvas,
    instantiateWasm: loading.instantiateWasm,
    onRuntimeInitialized() {
      ready = true;
      Module.vantorReady = true;
      loading.done();
      keepOfflineCopy();
    },
    // The game's wait: until an event is queued, or until performance.now(), the game's tick
    // counter, reaches untilTick (never when negative).
    // The timer is started from a message task: a timer started from a timer's own task (the
    // loop runs in one after every wait) counts as nested, and browsers stretch nested timers to
    // at least 4 ms, which would cost frames.
    vantorWait(untilTick) {
      return new Promise((resolve) => {
        let timer = 0;
        wake = () => {
          wake = null;
          clearTimeout(timer);
          resolve();
        };
        if (untilTick >= 0) {
          startTimer = () => {
            if (wake) timer = setTimeout(wake, Math.max(0, untilTick - performance.now()));
          };
          timerChannel.port2.postMessage(null);
        }
      });
    },
    vantorWake() {
      if (wake) wake();
    },
    vantorPresent(pixels, width, height) {
      if (!image || image.width !== width || image.height !== height) {
        image = context.createImageData(width, height);
      }
      image.data.set(HEAPU8.subarray(pixels, pixels + width * height * 4));
      context.putImageData(image, 0, 0);
    },
    vantorSetCaption(text) {
      document.title = text;
      caption.textContent = text;
    },
    vantorShowMessage: showMessage,
    startBoardName: '',
    vantorStartBoardName() {
      return this.startBoardName;
    },
    // The board of a link (index.html#board=...), else of index.html?board=URL (same origin
    // only), instead of the built-in one.
    async vantorFetchStartBoard() {
      const link = linkData(location.hash);
      if (link !== null) {
        this.startBoardName = kLinkName;
        return offer(() => decodeBoardLink(link), kLinkName);
      }
      const address = new URLSearchParams(location.search).get('board');
      if (!address) return null;
      this.startBoardName = address;
      return offer(async () => {
        const url = new URL(address, location.href);
        if (url.origin !== location.origin) throw new Error('only boards from this site load');
        const response = await fetch(url);
        if (!response.ok) throw new Error(response.status + ' ' + response.statusText);
        return readStream(response.body, kLargestBoard, 'file is ' + kTooLarge);
      }, address);
    },
    vantorStartBoardRefused(text) {
      playing = null;
      showMessage(text);
    },
    vantorCopyIn: copyIn,
    print(text) {
      console.log(text);
    },
    printErr(text) {
      console.error(text);
    },
  });

  function shiftOf(event) {
    return (event.shiftKey ? 1 : 0) | (event.ctrlKey ? 2 : 0) | (event.altKey ? 4 : 0);
  }

  // Buttons as the game counts them: 1 left, 2 right, 4 middle, like the pointer's bit mask.
  let held = 0;
  function pointer(event) {
    const [x, y] = pixelAt(canvas, fitted, event);
    const shift = shiftOf(event);
    const now = event.buttons & 7;
    // Presses start only on the canvas and capture the pointer; releases count only for
    // buttons pressed there.
    for (const button of [1, 2, 4]) {
      if (now & button && !(held & button) && event.type !== 'pointerup') {
        held |= button;
        canvas.setPointerCapture(event.pointerId);
        Module._vantor_pointer(1, button, shift, x, y);
      } else if (!(now & button) && held & button) {
        held &= ~button;
        Module._vantor_pointer(2, button, shift, x, y);
      }
    }
    if (!held && canvas.hasPointerCapture(event.pointerId)) {
      canvas.releasePointerCapture(event.pointerId);
    }
    if (event.type === 'pointermove') Module._vantor_pointer(0, now, shift, x, y);
    event.preventDefault();
  }

  // Fingers, as the mouse's buttons: the first finger on the playfield steers (the paddle goes
  // to it as it lands) and lifting it releases the balls, the left button; every other finger's
  // tap adds a hundred balls, the right button. A finger the browser takes back (a system
  // gesture) does nothing.
  let steering = null;
  const tapping = new Set();
  function touch(event) {
    const [x, y] = pixelAt(canvas, fitted, event);
    const id = event.pointerId;
    const lifted = event.type === 'pointerup';
    if (event.type === 'pointerdown' && steering === null) {
      steering = id;
      Module._vantor_pointer(0, 0, 0, x, y);
      Module._vantor_pointer(1, 1, 0, x, y);
    } else if (event.type === 'pointerdown') {
      tapping.add(id);
      Module._vantor_pointer(1, 2, 0, x, y);
    } else if (id === steering && event.type === 'pointermove') {
      Module._vantor_pointer(0, 1, 0, x, y);
    } else if (id === steering) {
      steering = null;
      if (lifted) Module._vantor_pointer(2, 1, 0, x, y);
    } else if (tapping.delete(id) && lifted) {
      Module._vantor_pointer(2, 2, 0, x, y);
    }
    event.preventDefault();
  }

  for (const type of ['pointerdown', 'pointermove', 'pointerup', 'pointercancel']) {
    canvas.addEventListener(type, (event) => {
      if (!ready) return;
      if (event.pointerType === 'touch') touch(event);
      else if (type !== 'pointercancel') pointer(event);
    });
  }
  canvas.addEventListener('lostpointercapture', () => {
    held = 0;
  });
  // The right button adds balls; the browser's menu would cover the game.
  canvas.addEventListener('contextmenu', (event) => event.preventDefault());

  // The game's key codes: letters and digits are their upper-case characters; the arrows steer,
  // Space releases the balls, Enter adds a hundred. Presses and releases both go to the game
  // (the arrows steer while held), with the keyboard's repeats marked as such.
  const namedKeys = { ArrowLeft: 37, ArrowRight: 39, Space: 32, Enter: 13, NumpadEnter: 13 };
  function keyCode(event) {
    const match = /^(?:Key([A-Z])|Digit([0-9]))$/.exec(event.code);
    return match ? (match[1] || match[2]).charCodeAt(0) : namedKeys[event.code] || 0;
  }
  for (const type of ['keydown', 'keyup']) {
    window.addEventListener(type, (event) => {
      // Keys on the page's own controls stay theirs.
      if (!ready || event.target.matches('input, button, a')) return;
      const code = keyCode(event);
      if (!code || event.ctrlKey || event.metaKey) return;
      Module._vantor_key(type === 'keydown' ? 1 : 0, code, shiftOf(event), event.repeat ? 1 : 0);
      event.preventDefault();
    });
  }

  // Hands a board file's bytes to the game; returns its message ('' when it is played).
  function playBoard(bytes, fileName) {
    const data = copyIn(bytes);
    const nameSize = lengthBytesUTF8(fileName) + 1;
    const name = Module._malloc(nameSize);
    let error = `${fileName}: not enough memory to load it (${bytes.length} bytes)`;
    if (data && name) {
      stringToUTF8(fileName, name, nameSize);
      error = UTF8ToString(Module._vantor_load_board(data, bytes.length, name));
    }
    Module._free(name);
    Module._free(data);
    if (!error) playing = bytes;
    return error;
  }

  // A chosen or dropped file, read no further than the largest board; the messages are the
  // desktop game's where it has them.
  async function loadBoard(file, isFolder) {
    if (!ready) return;
    let error;
    if (isFolder) {
      error = `${file.name}: is a folder, not a board file`;
    } else if (file.size > kLargestBoard) {
      error = `${file.name}: file is ${file.size} bytes, ${kTooLarge}`;
    } else {
      try {
        const bytes = new Uint8Array(await file.slice(0, kLargestBoard + 1).arrayBuffer());
        error = bytes.length > kLargestBoard ? `${file.name}: file is ${kTooLarge}`
                                             : playBoard(bytes, file.name);
      } catch (reason) {
        // Gone since it was chosen, unreadable, or a folder a browser gave as a file.
        error = `${file.name}: cannot be read (${reason.message})`;
      }
    }
    showMessage(error);
    canvas.focus();
  }
  boardFile.addEventListener('change', () => {
    if (boardFile.files.length) loadBoard(boardFile.files[0]);
    boardFile.value = '';
  });
  document.addEventListener('dragover', (event) => {
    event.preventDefault();
    document.body.classList.add('dragging');
  });
  document.addEventListener('dragleave', () => document.body.classList.remove('dragging'));
  document.addEventListener('drop', (event) => {
    event.preventDefault();
    document.body.classList.remove('dragging');
    const files = event.dataTransfer.files;
    const item = event.dataTransfer.items[0];
    const entry = item && item.webkitGetAsEntry ? item.webkitGetAsEntry() : null;
    if (files.length) loadBoard(files[0], Boolean(entry && entry.isDirectory));
  });

  // A board link opened in a page that already runs (only the fragment changed, so the browser
  // did not load the page again) replaces the board as a chosen file does.
  window.addEventListener('hashchange', async () => {
    const link = linkData(location.hash);
    if (!ready || link === null) return;
    try {
      showMessage(playBoard(await decodeBoardLink(link), kLinkName));
    } catch (error) {
      showMessage(`${kLinkName}: ${error.message}`);
    }
  });

  // Copy link: an address that opens the game on the board being played. Without a clipboard
  // (a page not served securely, or the browser refused) the address bar holds the link.
  copyLink.addEventListener('click', async () => {
    canvas.focus();
    const page = location.origin + location.pathname;
    let address;
    try {
      address = playing ? await encodeBoardLink(playing, page) : page;
    } catch (error) {
      showMessage(error.message);
      return;
    }
    try {
      await navigator.clipboard.writeText(address);
      showMessage('Link copied: it opens the game on this board', true);
    } catch (error) {
      history.replaceState(null, '', address);
      showMessage('The link is in the address bar: copy it from there', true);
    }
  });

  offerFullScreen(document.getElementById('fullScreen'), canvas, showMessage);
})();
