#pragma once

namespace swf {

class file_stream;

// A stream that inflates one zlib stream read from the source (compressed movies). The
// source is not owned; closing the inflater leaves the source just after the bytes zlib
// consumed.
file_stream* make_inflater(file_stream* source);

}  // namespace swf
