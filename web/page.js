// The page around the game: it says in words what keeps the game from running (a page opened
// from a file, a browser without WebGL 2, a lost WebGL context, a line the program writes on its
// error stream), offers full screen, and starts the program.
'use strict';

const canvas = document.getElementById('canvas');
const message = document.getElementById('message');
const game = document.getElementById('game');

function say(line) {
  message.textContent = line;
}

// One line in the console and on the page, over the picture: play stops, or goes on without
// what the line names.
function sayError(line) {
  console.error(line);
  say(line);
}

function toggleFullscreen() {
  if (document.fullscreenElement) {
    document.exitFullscreen();
  } else {
    game.requestFullscreen();
  }
}

function start() {
  if (location.protocol === 'file:') {
    say('Velmora is played from a web server, not from a file: run "make web-run" and open ' +
        'http://127.0.0.1:8000/.');
    return;
  }
  if (!document.createElement('canvas').getContext('webgl2')) {
    say('This browser does not offer WebGL 2, which Velmora draws with. A recent Chrome, ' +
        'Firefox or Safari does, with hardware acceleration on.');
    return;
  }
  canvas.addEventListener('webglcontextlost', () => {
    sayError('The browser took the picture away (WebGL context lost): reload the page to play on.');
  });
  document.getElementById('fullscreen').addEventListener('click', () => {
    toggleFullscreen();
    canvas.focus();
  });
  // Before the program's own handlers: F11 is the page's full screen, not the browser's.
  window.addEventListener('keydown', (event) => {
    if (event.key === 'F11') {
      event.preventDefault();
      event.stopImmediatePropagation();
      toggleFullscreen();
    }
  }, true);

  window.Module = {
    canvas: canvas,
    print: (line) => console.log(line),
    printErr: (line) => {
      if (line.trim() !== '') {
        sayError(line);
      }
    },
    onRuntimeInitialized: () => say(''),
  };
  const script = document.createElement('script');
  script.src = 'velmora.js';
  script.onerror = () => sayError('The game could not be loaded from the server: reload the page.');
  document.body.appendChild(script);
  canvas.focus();
}

start();
