#pragma once
// The folders and default files every part of the program expects in the data
// folder.
namespace kanro::app {

// Creates Data/ and Head/, copies the shipped Css/ and Image/ into a data
// folder that lacks them, and writes Kanro.css (from Css/default.css),
// index.htm, Replace.txt and Keyword.txt when they are missing. A file that
// exists, even an empty one, is never rewritten. Failures are silent: the
// program goes on without the file.
void CreateDefaultFiles();

}  // namespace kanro::app
