#pragma once

namespace brindle {

// Installs, once, what the audio tag library shares between all its readers: a silent
// debug listener, so that nothing of it reaches the standard error, and the decoding of
// ID3v1 text by the platform's rule (UTF-8 where valid, else ISO-8859-1), as the engine's
// own ID3v1 reader decodes it. ReadAudioTags makes sure of it itself; calling this first,
// before worker threads start, only moves the work ahead. Later calls do nothing.
void PrepareAudioTagReader();

}  // namespace brindle
