// The page around the game: it scales the canvas, turns pointer, key and file events into calls
// of the game's exported functions, and gives the game its waits, its caption and its screen.
'use strict';

(function () {
  const canvas = document.getElementById('playfield');
  const context = canvas.getContext('2d', { alpha: false });
  const caption = document.getElementById('caption');
  const message = document.getElementById('message');
  const boardFile = document.getElementById('boardFile');
  const stage = document.getElementById('stage');
  const kWidth = 600;
  const kHeight = 480;
  // The largest board file: 2414 bytes of header and cells, then at most 32767 bricks of 1358
  // bytes (the editor's palette index is 16-bit). No more than this is ever read.
  const kLargestBoard = 2414 + 1358 * 32767;
  let image = null;
  let wake = null;
  let scale = 1;
  let ready = false;
  let startTimer = null;
  const timerChannel = new MessageChannel();
  timerChannel.port1.onmessage = () => {
    if (startTimer) startTimer();
    startTimer = null;
  };

  // The largest whole multiple of the playfield that fits, in device pixels, so every game
  // pixel stays a sharp square.
  function fit() {
    const ratio = window.devicePixelRatio || 1;
    const width = stage.clientWidth * ratio;
    const height = stage.clientHeight * ratio;
    scale = Math.max(1, Math.floor(Math.min(width / kWidth, height / kHeight)));
    canvas.style.width = (kWidth * scale) / ratio + 'px';
    canvas.style.height = (kHeight * scale) / ratio + 'px';
  }
  window.addEventListener('resize', fit);
  fit();

  function showMessage(text) {
    message.textContent = text;
  }

  const kTooLarge = `more than the largest board (${kLargestBoard} bytes)`;

  // A copy of bytes in the game's memory, or 0 when the memory cannot grow that far.
  function copyIn(bytes) {
    const at = Module._malloc(Math.max(bytes.length, 1));
    if (at) HEAPU8.set(bytes, at);
    return at;
  }

  // Reads a response's body, refusing it as soon as it runs past the largest board.
  async function readBounded(response) {
    const reader = response.body.getReader();
    const chunks = [];
    let total = 0;
    for (;;) {
      const { done, value } = await reader.read();
      if (done) break;
      total += value.length;
      if (total > kLargestBoard) {
        reader.cancel();
        throw new Error('file is ' + kTooLarge);
      }
      chunks.push(value);
    }
    const bytes = new Uint8Array(total);
    let at = 0;
    for (const chunk of chunks) {
      bytes.set(chunk, at);
      at += chunk.length;
    }
    return bytes;
  }

  const Module = (window.Module = {
    canvas: canvas,
    onRuntimeInitialized() {
      ready = true;
      Module.vantorReady = true;
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
    // index.html?board=URL: that board instead of the built-in one (same origin only).
    async vantorFetchStartBoard() {
      const address = new URLSearchParams(location.search).get('board');
      if (!address) return null;
      this.startBoardName = address;
      try {
        const url = new URL(address, location.href);
        if (url.origin !== location.origin) throw new Error('only boards from this site load');
        const response = await fetch(url);
        if (!response.ok) throw new Error(response.status + ' ' + response.statusText);
        return await readBounded(response);
      } catch (error) {
        showMessage(address + ': ' + error.message + '; playing the built-in board');
        return null;
      }
    },
    vantorCopyIn: copyIn,
    print(text) {
      console.log(text);
    },
    printErr(text) {
      console.error(text);
    },
  });

  // Playfield pixels under the pointer: every device pixel of a scaled-up game pixel gives that
  // pixel's whole coordinates. Outside the canvas (while captured) they run past 0 .. 599.
  function position(event) {
    const rect = canvas.getBoundingClientRect();
    const ratio = window.devicePixelRatio || 1;
    return [
      Math.floor(((event.clientX - rect.left) * ratio) / scale),
      Math.floor(((event.clientY - rect.top) * ratio) / scale),
    ];
  }

  function shiftOf(event) {
    return (event.shiftKey ? 1 : 0) | (event.ctrlKey ? 2 : 0) | (event.altKey ? 4 : 0);
  }

  // Buttons as the game counts them: 1 left, 2 right, 4 middle, like the pointer's bit mask.
  let held = 0;
  function pointer(event) {
    const [x, y] = position(event);
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
  for (const type of ['pointerdown', 'pointermove', 'pointerup']) {
    canvas.addEventListener(type, (event) => {
      if (ready) pointer(event);
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
      if (!ready || event.target === boardFile) return;
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
})();
