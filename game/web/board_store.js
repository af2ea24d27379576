// The editor page's boards in the browser's storage (IndexedDB): the work in progress, kept
// after every change so that a reload or a closed tab loses nothing, and "my boards", the boards
// the user kept, each a board file's bytes under a name. Every call returns a promise that fails
// with the browser's reason (storage full, refused, private mode); the page reports it and goes
// on, since storage must never stand in the way of editing.

const kDatabase = 'brickwright';
const kWork = 'work';
const kBoards = 'boards';

function request(req) {
  return new Promise((resolve, reject) => {
    req.onsuccess = () => resolve(req.result);
    req.onerror = () => reject(req.error || new Error('the storage refused'));
  });
}

export async function openBoardStore() {
  if (!window.indexedDB) throw new Error('this browser keeps no boards');
  const open = indexedDB.open(kDatabase, 1);
  open.onupgradeneeded = () => {
    open.result.createObjectStore(kWork);
    open.result.createObjectStore(kBoards, { keyPath: 'id', autoIncrement: true });
  };
  const db = await request(open);

  // One request in a transaction of its own, resolved once the transaction is on disk.
  function run(store, mode, act) {
    const transaction = db.transaction(store, mode);
    const result = request(act(transaction.objectStore(store)));
    const done = new Promise((resolve, reject) => {
      transaction.oncomplete = resolve;
      transaction.onabort = transaction.onerror = () =>
        reject(transaction.error || new Error('the storage refused'));
    });
    return Promise.all([result, done]).then(([value]) => value);
  }

  return {
    // The work in progress: { bytes, name, unsaved }, or undefined.
    work: () => run(kWork, 'readonly', (store) => store.get('current')),
    keepWork: (work) => run(kWork, 'readwrite', (store) => store.put(work, 'current')),
    // My boards: [{ id, name, bytes, kept }], newest first.
    boards: async () =>
      (await run(kBoards, 'readonly', (store) => store.getAll())).sort((a, b) => b.kept - a.kept),
    keep: (name, bytes) =>
      run(kBoards, 'readwrite', (store) => store.add({ name, bytes, kept: Date.now() })),
    rename: async (id, name) => {
      const board = await run(kBoards, 'readonly', (store) => store.get(id));
      if (board) await run(kBoards, 'readwrite', (store) => store.put({ ...board, name }));
    },
    remove: (id) => run(kBoards, 'readwrite', (store) => store.delete(id)),
  };
}
