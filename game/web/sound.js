// The game's sound effects through Web Audio: the samples the desktop game plays, made by the
// game's own code (vantor_effect_samples), one voice per effect as in the desktop mixer, through a
// limiter. Browsers let a page make sound only once the player has clicked or pressed a key, so
// the audio starts then.
'use strict';

(function () {
  const Module = window.Module;
  const kEffects = 6;
  const kRetrigger = 0.05; // seconds: an effect restarts at most this often, as on the desktop
  const kSetting = 'vantor.sound';
  let context = null;
  let output = null;
  const buffers = [];
  const voices = [];

  function start() {
    if (context) {
      if (context.state === 'suspended') context.resume();
      return;
    }
    if (!window.AudioContext || !Module.vantorReady) return;
    context = new AudioContext();
    // Loud mixes are bent down, never clipped, like the desktop mixer's soft limiter.
    output = context.createDynamicsCompressor();
    output.threshold.value = -6;
    output.knee.value = 6;
    output.ratio.value = 20;
    output.attack.value = 0.001;
    output.release.value = 0.1;
    output.connect(context.destination);
    const length = Module._malloc(4);
    for (let effect = 0; effect < kEffects; ++effect) {
      const samples = Module._vantor_effect_samples(effect, context.sampleRate, length);
      const count = HEAP32[length >> 2];
      const buffer = context.createBuffer(1, Math.max(count, 1), context.sampleRate);
      if (count) buffer.copyToChannel(HEAPF32.subarray(samples >> 2, (samples >> 2) + count), 0);
      buffers.push(buffer);
      voices.push(null);
    }
    Module._free(length);
  }
  for (const type of ['pointerdown', 'keydown']) window.addEventListener(type, start, true);

  function silence() {
    for (let effect = 0; effect < voices.length; ++effect) {
      if (voices[effect]) voices[effect].source.stop();
      voices[effect] = null;
    }
  }

  Module.vantorEffectsStarted = 0;
  Module.vantorPlayEffect = (effect, gain) => {
    if (!context || context.state !== 'running') return;
    const now = context.currentTime;
    const voice = voices[effect];
    if (voice && now - voice.started < kRetrigger) {
      voice.level.gain.value = Math.max(voice.level.gain.value, gain);
      return;
    }
    if (voice) voice.source.stop();
    const source = context.createBufferSource();
    source.buffer = buffers[effect];
    const level = context.createGain();
    level.gain.value = gain;
    source.connect(level).connect(output);
    source.start();
    voices[effect] = { source: source, level: level, started: now };
    ++Module.vantorEffectsStarted;
  };

  // M switches the sound; the browser remembers it, as the desktop game's settings file does.
  Module.vantorSoundSetting = () => {
    try {
      return localStorage.getItem(kSetting) === 'off' ? 0 : 1;
    } catch (error) {
      return 1;
    }
  };
  Module.vantorSoundSwitched = (on) => {
    if (!on) silence();
    try {
      localStorage.setItem(kSetting, on ? 'on' : 'off');
    } catch (error) {
      // Storage refused (a private window): the switch holds for this visit only.
    }
  };
})();
