// Brickwright's page: HTML controls around the desktop editor's board document, which runs in
// Brickwright.wasm (editor/web/). The page turns pointer, touch, key, file and drop events into
// the document's commands and shows what it reports; pictures are decoded by the browser, boards
// and sheets are judged by the editor's own rules. The work in progress is kept in the
// browser's storage after every change, the game plays the board in a frame over the page, and
// Copy link makes a game link (board_link.js).
import { encodeBoardLink, kLargestBoard } from './board_link.js';
import { openBoardStore } from './board_store.js';
import {
  acceptDrops,
  fitCanvas,
  keepOfflineCopy,
  loadingLine,
  offerFullScreen,
  pixelAt,
} from './page_frame.js';

(function () {
  const $ = (id) => document.getElementById(id);
  const canvas = $('board');
  const context = canvas.getContext('2d', { alpha: false });
  const preview = $('brick').getContext('2d', { alpha: false });
  const bricks = $('bricks');
  const message = $('message');
  const fitted = fitCanvas(canvas, $('stage'), 601, 301);
  const loading = loadingLine($('loading'), 'Brickwright.wasm', 'the editor');
  const kSheet = 'bricks.bmp';
  const kMaxSheetPixels = 1 << 24;
  const kNoBricks = 'Load a brick sheet first (Load Bricks), or load a board';
  const kUntitled = 'Untitled';
  const kTooLarge = `more than the largest board (${kLargestBoard} bytes)`;
  let ready = false;
  let state = null;
  let store = null;
  let table = -1;

  function showMessage(text, notice) {
    message.textContent = text;
    message.classList.toggle('notice', Boolean(notice));
  }

  // Text the module returns, or strings handed to it for one call.
  const text = (pointer) => UTF8ToString(pointer);
  function withString(value, call) {
    const size = lengthBytesUTF8(value) + 1;
    const at = Module._malloc(size);
    if (!at) return 'Not enough memory to complete the command.';
    stringToUTF8(value, at, size);
    try {
      return call(at);
    } finally {
      Module._free(at);
    }
  }
  function withBytes(bytes, call) {
    const at = Module._malloc(Math.max(bytes.length, 1));
    if (!at) return 'Not enough memory to complete the command.';
    HEAPU8.set(bytes, at);
    try {
      return call(at);
    } finally {
      Module._free(at);
    }
  }
  function lastBytes() {
    const at = Module._brickwright_bytes();
    return HEAPU8.slice(at, at + Module._brickwright_bytes_size());
  }
  // The board as it stands as a file's bytes; null without bricks.
  function boardBytes() {
    return Module._brickwright_encode() ? lastBytes() : null;
  }
  const fileName = () => (state.file ? state.file : kUntitled);

  // Shows the document: the view, the palette, the options, the history and the status line.
  // Returns whether the document changed since it was last shown.
  let shown = { revision: -1, outline: null };
  function show() {
    state = JSON.parse(text(Module._brickwright_state()));
    $('cell').textContent = state.cell;
    const outline = JSON.stringify(state.outline);
    if (state.revision === shown.revision && outline === shown.outline) return false;
    const edited = state.revision !== shown.revision;
    shown = { revision: state.revision, outline };
    const view = new ImageData(601, 301);
    view.data.set(HEAPU8.subarray(Module._brickwright_view()).subarray(0, 601 * 301 * 4));
    context.putImageData(view, 0, 0);
    if (state.outline) {
      const [x, y, w, h] = state.outline;
      context.strokeStyle = '#0050d0';
      context.lineWidth = 2;
      context.strokeRect(x + 1, y + 1, w - 1, h - 1);
    }
    if (table !== state.table) {
      table = state.table;
      bricks.replaceChildren();
      for (let i = 0; i < state.bricks; ++i) bricks.add(new Option(`Brick ${i + 1}`, String(i)));
    }
    bricks.selectedIndex = state.selected;
    const brick = new ImageData(30, 15);
    brick.data.set(HEAPU8.subarray(Module._brickwright_brick(state.selected)).subarray(0, 1800));
    preview.putImageData(brick, 0, 0);
    document.querySelectorAll('#options input').forEach((radio, i) => {
      radio.checked = state.options[i];
    });
    $('undo').disabled = !state.canUndo;
    $('undo').title = `Undo ${state.undoText} (Ctrl+Z)`;
    $('redo').disabled = !state.canRedo;
    $('redo').title = `Redo ${state.redoText} (Ctrl+Shift+Z or Ctrl+Y)`;
    $('mirror').checked = state.mirror;
    $('caption').textContent = fileName() + (state.modified ? ' *' : '');
    document.title = `${fileName()}${state.modified ? ' *' : ''} - Brickwright`;
    $('brickCount').textContent = state.brickCount;
    $('toClear').textContent = state.toClear;
    return edited;
  }

  // After every command: what it changed is shown, and the work kept.
  function changed() {
    if (show()) keepWork();
  }

  // The work in progress, kept after every change; one write at a time, the latest state last.
  // A refused or full storage is said once until it works again, and painting goes on.
  let writing = false;
  let pending = false;
  let storageFailed = false;
  async function keepWork() {
    if (!store) return;
    if (writing) {
      pending = true;
      return;
    }
    const bytes = boardBytes();
    if (!bytes) return;
    writing = true;
    try {
      await store.keepWork({ bytes, name: state.file, unsaved: state.modified });
      storageFailed = false;
    } catch (error) {
      if (!storageFailed) showMessage(`Cannot keep the board in this browser: ${error.message}`);
      storageFailed = true;
    }
    writing = false;
    if (pending) {
      pending = false;
      keepWork();
    }
  }

  // A picture decoded by the browser; null when it is not one the browser can read.
  async function decodePicture(blob) {
    try {
      return await createImageBitmap(blob, {
        premultiplyAlpha: 'none',
        colorSpaceConversion: 'none',
      });
    } catch (error) {
      return null;
    }
  }

  // A picture as a brick sheet, as RGBA pixels judged by the sheet rules; returns the message.
  function importSheet(bitmap, name) {
    const cannot = `Cannot load the picture "${name}": it is`;
    if (!bitmap) return `${cannot} not a picture this browser can read.`;
    const { width, height } = bitmap;
    if (width * height > kMaxSheetPixels) {
      return `${cannot} ${width} x ${height} pixels, more than any brick sheet can be.`;
    }
    const scratch = document.createElement('canvas');
    scratch.width = width;
    scratch.height = height;
    const drawing = scratch.getContext('2d', { willReadFrequently: true });
    drawing.drawImage(bitmap, 0, 0);
    const pixels = drawing.getImageData(0, 0, width, height).data;
    const result = withBytes(pixels, (at) =>
      withString(name, (named) => text(Module._brickwright_import_sheet(at, width, height, named)))
    );
    changed();
    return result;
  }

  // Changes that replace the board ask first when the work is not in its file; it is still kept
  // in this browser until then.
  function mayDiscard() {
    return !state.modified || confirm(`Discard the unsaved changes to ${fileName()}?`);
  }

  function openBoard(bytes, name, unsaved) {
    const result = withBytes(bytes, (at) =>
      withString(name, (named) => text(Module._brickwright_open(at, bytes.length, named, unsaved)))
    );
    changed();
    return result;
  }

  // A file for Load ('board'), Load Bricks ('sheet') or dropped ('drop': a board when it starts
  // as board files do, else a picture when the browser can read it as one, else a board whose
  // message says what is wrong, as the desktop editor tells them apart by content).
  async function loadFile(file, kind) {
    if (!ready) return;
    let result;
    try {
      const head = new Uint8Array(await file.slice(0, 4).arrayBuffer());
      const board = kind === 'board' || String.fromCharCode(...head) === 'VNTR';
      const picture = kind === 'folder' || board ? null : await decodePicture(file);
      if (kind === 'folder') {
        result = `${file.name}: is a folder, not a board file`;
      } else if (kind === 'sheet' || picture) {
        result = importSheet(picture, file.name);
      } else if (!mayDiscard()) {
        return;
      } else if (file.size > kLargestBoard) {
        result = `${file.name}: file is ${file.size} bytes, ${kTooLarge}`;
      } else {
        result = openBoard(new Uint8Array(await file.arrayBuffer()), file.name, 0);
      }
    } catch (error) {
      result = `${file.name}: cannot be read (${error.message})`;
    }
    showMessage(result);
    canvas.focus();
  }

  function download(bytes, name) {
    const link = document.createElement('a');
    link.href = URL.createObjectURL(new Blob([bytes], { type: 'application/octet-stream' }));
    link.download = /\.brd$/i.test(name) ? name : name + '.brd';
    link.click();
    setTimeout(() => URL.revokeObjectURL(link.href), 60000);
  }

  // Pointer and touch on the board view: a finger paints as the left button does. One pointer
  // paints at a time; a second finger does nothing until the first is lifted.
  let held = 0;
  let painter = null;
  let last = [0, 0];
  function pointer(event) {
    if (!ready || (held && event.pointerId !== painter)) return;
    painter = event.pointerId;
    const [x, y] = (last = pixelAt(canvas, fitted, event));
    const shift = (event.shiftKey ? 1 : 0) | (event.ctrlKey ? 2 : 0);
    const now = event.buttons & 7;
    for (const button of [1, 2, 4]) {
      if (now & button && !(held & button) && event.type === 'pointerdown') {
        held |= button;
        canvas.setPointerCapture(event.pointerId);
        if (!Module._brickwright_pointer(1, button, shift, x, y)) showMessage(kNoBricks);
      } else if (!(now & button) && held & button) {
        held &= ~button;
        Module._brickwright_pointer(2, button, shift, x, y);
      }
    }
    if (event.type === 'pointermove') Module._brickwright_pointer(0, now & held, shift, x, y);
    event.preventDefault();
    changed();
  }
  for (const type of ['pointerdown', 'pointermove', 'pointerup', 'pointercancel']) {
    canvas.addEventListener(type, pointer);
  }
  // A capture lost without a release (the window lost the pointer) ends the drag where it was.
  canvas.addEventListener('lostpointercapture', () => {
    for (const button of [1, 2, 4]) {
      if (held & button) Module._brickwright_pointer(2, button, 0, ...last);
    }
    held = 0;
    if (ready) changed();
  });
  canvas.addEventListener('contextmenu', (event) => event.preventDefault());

  function command(code) {
    if (!ready) return;
    Module._brickwright_command(code);
    changed();
  }
  $('undo').addEventListener('click', () => command(0));
  $('redo').addEventListener('click', () => command(1));
  $('clearBoard').addEventListener('click', () => command(3));
  $('mirror').addEventListener('change', () => command(4));
  $('newBoard').addEventListener('click', () => {
    if (ready && mayDiscard()) command(2);
  });
  window.addEventListener('keydown', (event) => {
    if (!ready || event.target.matches('input[type=text], select') || $('game').hidden === false) {
      return;
    }
    const key = event.key.toLowerCase();
    const ctrl = event.ctrlKey || event.metaKey;
    if (ctrl && key === 'z') command(event.shiftKey ? 1 : 0);
    else if (ctrl && key === 'y') command(1);
    else if (!ctrl && !event.altKey && key === 'm') command(4);
    else if (!ctrl && !event.altKey && /^[1-9]$/.test(key)) {
      Module._brickwright_select(Number(key) - 1); // as on the desktop: Brick 1 to Brick 9
      changed();
    } else return;
    event.preventDefault();
  });

  bricks.addEventListener('change', () => {
    Module._brickwright_select(bricks.selectedIndex);
    changed();
  });
  document.querySelectorAll('#options input').forEach((radio) => {
    radio.addEventListener('change', () => {
      if (!Module._brickwright_option(Number(radio.value))) showMessage(kNoBricks);
      changed();
    });
  });

  for (const [id, kind] of [['loadFile', 'board'], ['sheetFile', 'sheet']]) {
    const input = $(id);
    input.addEventListener('change', () => {
      if (input.files.length) loadFile(input.files[0], kind);
      input.value = '';
    });
  }
  acceptDrops((file, isFolder) => loadFile(file, isFolder ? 'folder' : 'drop'));

  // Save: a download of the board file, the document's own bytes; the board is then clean.
  $('saveBoard').addEventListener('click', () => {
    if (!ready) return;
    const name = state.file || 'board.brd';
    const result = withString(name, (named) => text(Module._brickwright_save(named)));
    if (!result) download(lastBytes(), name);
    showMessage(result || `Saved as ${name}`, !result);
    changed();
  });

  // Play: the game page in a frame over this one, on the board as it stands; the editor stays
  // as it is underneath, history and all. The game asks for the board once it starts.
  const game = $('game');
  const frame = $('gameFrame');
  let playing = null;
  function play(bytes) {
    playing = bytes;
    frame.src = 'index.html#editor';
    game.hidden = false;
    frame.focus();
  }
  $('play').addEventListener('click', () => {
    const bytes = ready && boardBytes();
    if (bytes) play(bytes);
    else showMessage(kNoBricks);
  });
  window.addEventListener('message', (event) => {
    if (event.source === frame.contentWindow && event.origin === location.origin && playing) {
      frame.contentWindow.postMessage(playing, location.origin);
    }
  });
  $('backToEditing').addEventListener('click', () => {
    game.hidden = true;
    frame.src = 'about:blank';
    playing = null;
    canvas.focus();
  });

  // Copy link: an address of the game page that opens it on this board.
  $('copyLink').addEventListener('click', async () => {
    const bytes = ready && boardBytes();
    if (!bytes) {
      showMessage(kNoBricks);
      return;
    }
    let address;
    try {
      address = await encodeBoardLink(bytes, new URL('index.html', location.href).href);
    } catch (error) {
      showMessage(error.message);
      return;
    }
    try {
      await navigator.clipboard.writeText(address);
      showMessage('Link copied: it opens the game on this board', true);
    } catch (error) {
      // No clipboard (a page not served securely, or the browser refused): the link to copy.
      const link = document.createElement('a');
      link.href = address;
      link.textContent = 'this link';
      message.replaceChildren('Copy ', link, ': it opens the game on this board');
      message.classList.add('notice');
    }
  });

  // My boards: kept in this browser, each opened, played, renamed, deleted or downloaded.
  const list = $('boardList');
  async function showBoards() {
    if (!store) return;
    let boards;
    try {
      boards = await store.boards();
    } catch (error) {
      showMessage(`Cannot read my boards: ${error.message}`);
      return;
    }
    $('noBoards').hidden = boards.length > 0;
    list.replaceChildren(
      ...boards.map((board) => {
        const item = document.createElement('li');
        const name = document.createElement('span');
        name.className = 'name';
        name.textContent = board.name;
        item.append(name);
        for (const [label, act] of [
          ['Open', openKept],
          ['Play', () => play(board.bytes)],
          ['Rename', renameKept],
          ['Delete', deleteKept],
          ['Download', () => download(board.bytes, board.name)],
        ]) {
          const button = document.createElement('button');
          button.type = 'button';
          button.textContent = label;
          button.addEventListener('click', () => act(board));
          item.append(button);
        }
        return item;
      })
    );
  }
  function openKept(board) {
    if (mayDiscard()) showMessage(openBoard(board.bytes, board.name, 0));
  }
  async function storeCall(act) {
    try {
      await act();
    } catch (error) {
      showMessage(`Cannot change my boards: ${error.message}`);
    }
    showBoards();
  }
  function renameKept(board) {
    const name = prompt('New name', board.name);
    if (name) storeCall(() => store.rename(board.id, name));
  }
  function deleteKept(board) {
    if (confirm(`Delete ${board.name} from my boards?`)) storeCall(() => store.remove(board.id));
  }
  $('keep').addEventListener('click', async () => {
    const bytes = ready && boardBytes();
    if (!bytes) {
      showMessage(kNoBricks);
      return;
    }
    if (!store) {
      showMessage('This browser keeps no boards here');
      return;
    }
    await storeCall(() => store.keep(state.file || kUntitled, bytes));
    $('myBoards').hidden = false;
    $('showBoards').setAttribute('aria-expanded', 'true');
  });
  $('showBoards').addEventListener('click', () => {
    const panel = $('myBoards');
    panel.hidden = !panel.hidden;
    $('showBoards').setAttribute('aria-expanded', String(!panel.hidden));
    if (!panel.hidden) showBoards();
  });

  // At start: the work kept from the last visit, else the bundled sheet, offered at once on an
  // empty board.
  async function start() {
    try {
      store = await openBoardStore();
    } catch (error) {
      showMessage(`Boards are not kept in this browser: ${error.message}`);
    }
    let work = null;
    try {
      work = store && (await store.work());
    } catch (error) {
      showMessage(`Cannot read the board kept in this browser: ${error.message}`);
    }
    if (work) {
      const result = openBoard(work.bytes, work.name || '', work.unsaved ? 1 : 0);
      if (!result) return;
      showMessage(result);
    }
    try {
      const response = await fetch(kSheet);
      if (!response.ok) throw new Error(`${response.status} ${response.statusText}`);
      const result = importSheet(await decodePicture(await response.blob()), kSheet);
      if (result) throw new Error(result);
      Module._brickwright_command(2); // a new board with these bricks, nothing to save yet
      changed();
    } catch (error) {
      showMessage(`The bundled bricks cannot be loaded (${error.message}): use Load Bricks`);
    }
  }

  window.Module = {
    canvas,
    instantiateWasm: loading.instantiateWasm,
    async onRuntimeInitialized() {
      loading.done();
      show();
      await start();
      ready = true;
      Module.brickwrightReady = true;
      keepOfflineCopy();
    },
    print: (line) => console.log(line),
    printErr: (line) => console.error(line),
  };
  offerFullScreen($('fullScreen'), canvas, showMessage);
})();
