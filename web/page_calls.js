// The module's two calls for the page's worker (web/worker.js), appended to the module
// (emscripten's --post-js): each takes the Blob and the receivers of its results as
// arguments, which page_support.js's functions reach through `pageCall` while the
// call runs, and gives its outcome by name.

// What meshlift_convert returns (web/worker_calls.cpp), by name.
const convertOutcomes = ["success", "failure", "unreadable", "bad mode"];

function withPageCall(blob, receivers, call) {
    pageCall.blob = blob;
    pageCall.receivers = receivers;
    try {
        return call();
    } finally {
        pageCall.blob = null;
        pageCall.receivers = null;
    }
}

// Converts `blob`, named `name` in the console lines, in `mode` ("tri" or "quad"):
// hands the document and the console in pieces to receivers.onDocument and
// receivers.onConsole, and how far the reads reached to receivers.onBlobRead. Returns
// "success" or "failure" (the program's exit code 0 or 1), or "unreadable" (the file
// could not be read at all: no document).
Module["convert"] = function(blob, name, mode, receivers) {
    const outcome = withPageCall(blob, receivers, () =>
        ccall("meshlift_convert", "number", ["string", "string"], [name, mode]));
    if (convertOutcomes[outcome] === "bad mode") throw new Error("no such mode: " + mode);
    return convertOutcomes[outcome];
};

// Draws the document `blob`, named `name` in the report, with the fit choice: hands
// the picture, when there is one, to receivers.onPicture and each report line to
// receivers.onReportLine.
Module["preview"] = function(blob, name, fit, receivers) {
    // (No object spread here: emscripten's JavaScript optimizer does not know it.)
    withPageCall(blob, Object.assign({ onBlobRead: function() {} }, receivers), () =>
        ccall("meshlift_preview", "number", ["string", "number"], [name, fit ? 1 : 0]));
};
