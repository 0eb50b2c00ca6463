// Loading a stored document in pieces. The platform window's stream-in grows
// faster than the document under some rich edit implementations, and one
// long stream-in blocks every window of the thread; pieces streamed one after
// the other keep the cost near linear and let the program answer between
// them.
#pragma once

#include <windows.h>
#include <richedit.h>

#include <cstddef>
#include <string>
#include <vector>

// Where an RTF document can be cut into pieces that stream in one after the
// other and give the same document as one stream-in. Every piece is streamed
// as the header (everything before the first top-level paragraph: the font and
// colour tables, the document settings) followed by its part of the body. The
// body is cut only before a top-level "\pard" whose control words also hold
// "\plain" (both paragraph and character formats start afresh there). A
// document that cannot be cut safely (text before its first paragraph, binary
// data, tables, which the platform window does not rebuild from a piece
// streamed into the middle of a document) has no cuts.
struct TRtfCuts {
    std::size_t bodyStart = 0;       // end of the header
    std::vector<std::size_t> cuts;   // ascending, all after bodyStart
};
TRtfCuts FindRtfCuts(const std::string& rtf);

// A stored document on its way into the window. The last part is loaded
// first, as the whole document (so the document's end is exactly what one
// stream-in makes of it); the parts before it then go in, in order, in front
// of it. The paragraph they go in front of takes the paragraph formats each
// piece leaves in force, so its own are kept aside and put back at the end.
struct TwwStoredDocumentLoad {
    std::string rtf;
    std::vector<std::size_t> points;  // bodyStart and the cuts; the last part runs from points.back() to the end
    std::size_t next = 0;             // index in points of the next part to insert
    bool started = false;
    LONG insertAt = 0;                // where the next part goes
    double bytesPerMs = 0;            // measured speed, for the size of the next piece
    PARAFORMAT2 lastPartFormat{};     // the last part's first paragraph as it came in
};
