// Runs the program on the headless backend under node: the backend is
// chosen from the environment when the program starts.
Module['preRun'] = Module['preRun'] || [];
Module['preRun'].push(function () { ENV['VELMORA_BACKEND'] = 'headless'; });
