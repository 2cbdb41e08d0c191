// The player's records and settings in the browser's storage: the data and configuration folder
// is an IndexedDB folder, read before the program starts and written back after each game that it
// keeps and each change of the settings. Where the browser refuses its storage (some private
// windows), the game goes on and keeps nothing.
Module.preRun = (Module.preRun || []).concat(() => {
  const folder = '/velmora';
  if (typeof indexedDB === 'undefined') {
    Module.printErr('The browser offers no storage (IndexedDB): no game will be kept.');
    return;
  }
  FS.mkdir(folder);
  FS.mount(IDBFS, {}, folder);
  addRunDependency('storage');
  FS.syncfs(true, (error) => {
    if (error) {
      Module.printErr('The browser refuses its storage (' + error + '): no game will be kept.');
    } else {
      ENV.VELMORA_DATA_DIR = ENV.VELMORA_CONFIG_DIR = folder + '/';
    }
    removeRunDependency('storage');
  });
});

// One write at a time: a game kept while one is under way is written once that one ends.
// Module.filesKept counts the writes that reached the storage.
Module.filesKept = 0;
let keeping = false;
let keepAgain = false;
Module.keepFiles = () => {
  if (keeping) {
    keepAgain = true;
    return;
  }
  keeping = true;
  FS.syncfs(false, (error) => {
    keeping = false;
    if (error) {
      Module.printErr('The browser could not keep the records (' + error + ').');
    } else {
      Module.filesKept += 1;
    }
    if (keepAgain) {
      keepAgain = false;
      Module.keepFiles();
    }
  });
};
