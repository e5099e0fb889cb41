#pragma once

// Our stand-in for the part of WinINet that the highscore client calls: an internet
// session, a connection per host, HTTP GET requests and reading their replies, over
// libcurl. Declarations and constants are our own; the calls keep WinINet's shape so
// that the client's code reads like the steps it follows.
//
// Behaviour the callers can rely on:
// - Handles are opaque numbers checked on every call: a null, closed or wrong-kind
//   handle makes a call fail (null or false); it never crashes.
// - Every request is independent of every other: it copies the agent, host, port and
//   time-out of its session and connection when it is opened, and has its own transfer
//   and reply buffer, so requests may run on different threads at once.
// - Closing a handle also closes every handle opened from it (a session its connections,
//   a connection its requests), as WinINet does.
// - Any thread may close any handle. Closing a request while another thread is inside
//   HttpSendRequestA or InternetReadFile on it cancels that call promptly (it returns
//   false); the request's state is freed when the last call using it has returned.
// - A request is driven by one thread at a time (a second thread calling into the same
//   request waits for the first).
// - Connections go only to the host and port given to InternetConnectA: no proxy (the
//   environment's proxy settings are ignored), no redirects (a redirect reply is
//   returned as it is), plain HTTP only.
// - Time-outs: INTERNET_OPTION_CONNECT_TIMEOUT bounds making the connection and also
//   every later wait for the server: a server that sends nothing for that long fails the
//   call (HttpSendRequestA or InternetReadFile returns false). The default is 60000 ms;
//   0 or 0xFFFFFFFF means no limit of our own.

#include <cstdint>

struct HINTERNET__;
using HINTERNET = HINTERNET__*;
using INTERNET_PORT = std::uint16_t;

// InternetOpenA access types. Both connect directly; a proxy is never used.
constexpr std::uint32_t INTERNET_OPEN_TYPE_PRECONFIG = 0;
constexpr std::uint32_t INTERNET_OPEN_TYPE_DIRECT = 1;

// InternetConnectA.
constexpr INTERNET_PORT INTERNET_DEFAULT_HTTP_PORT = 80;  // port 0 means this too
constexpr std::uint32_t INTERNET_SERVICE_HTTP = 3;        // the only service offered

// Request flags (accepted; connections are not kept between requests and nothing is
// cached, so neither changes anything here).
constexpr std::uint32_t INTERNET_FLAG_KEEP_CONNECTION = 0x00400000;
constexpr std::uint32_t INTERNET_FLAG_NO_CACHE_WRITE = 0x04000000;

// InternetSetOptionA: the only option offered; a 4-byte value in milliseconds.
constexpr std::uint32_t INTERNET_OPTION_CONNECT_TIMEOUT = 2;

// HttpAddRequestHeadersA modifiers. REPLACE replaces a header that is present (an empty
// value removes it) and fails when it is missing, unless ADD is also given; without
// REPLACE every line is added.
constexpr std::uint32_t HTTP_ADDREQ_FLAG_ADD = 0x20000000;
constexpr std::uint32_t HTTP_ADDREQ_FLAG_REPLACE = 0x80000000;

// HttpQueryInfoA: the one query offered, the reply's status code as a number.
constexpr std::uint32_t HTTP_QUERY_STATUS_CODE = 19;
constexpr std::uint32_t HTTP_QUERY_FLAG_NUMBER = 0x20000000;

// A header length of this value means the header text is zero-terminated.
constexpr std::uint32_t INTERNET_TEXT_ZERO_TERMINATED = 0xFFFFFFFF;

// Opens a session. The agent (may be null or empty for none) is sent as the User-Agent
// header of every request made through it. Access types other than the two above, and
// any flags other than 0, are refused (null).
HINTERNET InternetOpenA(const char* agent, std::uint32_t accessType, const char* proxy,
                        const char* proxyBypass, std::uint32_t flags);

// A connection to one host (a name or dotted address made of letters, digits, ".", "-"
// and "_", or a bracketed IPv6 address) and port. Nothing goes over the network yet:
// the connection is made by each request's HttpSendRequestA. User name and password are
// ignored. Null for a bad session handle, an empty or malformed host name, or a service
// other than INTERNET_SERVICE_HTTP.
HINTERNET InternetConnectA(HINTERNET internet, const char* serverName, INTERNET_PORT port,
                           const char* userName, const char* password, std::uint32_t service,
                           std::uint32_t flags, std::uintptr_t context);

// Sets INTERNET_OPTION_CONNECT_TIMEOUT on a session (for connections opened later), a
// connection (for requests opened later) or a request. False for any other option or a
// value shorter than 4 bytes.
bool InternetSetOptionA(HINTERNET handle, std::uint32_t option, const void* buffer,
                        std::uint32_t bufferLength);

// A GET request for the object name (path and query; "/" when null; bytes that cannot
// stand in a request line, such as spaces and control characters, are percent-encoded).
// The verb must be "GET" (or null); the version "HTTP/1.0" or "HTTP/1.1" (or null for
// 1.1). The accept types (a null-terminated list, may be null) form the Accept header,
// joined by ", "; a non-empty referrer is sent as the Referer header.
HINTERNET HttpOpenRequestA(HINTERNET connect, const char* verb, const char* objectName,
                           const char* version, const char* referrer,
                           const char* const* acceptTypes, std::uint32_t flags,
                           std::uintptr_t context);

// Adds or replaces headers: lines of "Name: value" separated by CR LF. Every line must be
// well formed (a name without blanks or control characters, a colon, a value without
// control characters), else nothing changes and the call fails.
bool HttpAddRequestHeadersA(HINTERNET request, const char* headers,
                            std::uint32_t headersLength, std::uint32_t modifiers);

// Connects, sends the request and waits for the reply's status line and headers. True
// for any reply from the server (whatever its status code); false when the connection
// is refused or fails, the server sends nothing in time or no valid reply, or the handle
// is closed meanwhile. Extra headers are added as HTTP_ADDREQ_FLAG_ADD | REPLACE would;
// a GET carries no body, so optionalLength must be 0. Sending again starts over.
bool HttpSendRequestA(HINTERNET request, const char* headers, std::uint32_t headersLength,
                      const void* optional, std::uint32_t optionalLength);

// Reads up to bytesToRead bytes of the reply body. True with *bytesRead = 0 at the end
// of the body; true with *bytesRead > 0 while data comes; false (and *bytesRead = 0)
// before a successful send, on a broken transfer or a time-out.
bool InternetReadFile(HINTERNET file, void* buffer, std::uint32_t bytesToRead,
                      std::uint32_t* bytesRead);

// HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER: the reply's status code as a 4-byte
// number in the buffer (*bufferLength set to 4). False before a successful send, for any
// other query, or a buffer shorter than 4 bytes. The index is ignored.
bool HttpQueryInfoA(HINTERNET request, std::uint32_t infoLevel, void* buffer,
                    std::uint32_t* bufferLength, std::uint32_t* index);

// The words for the last failure of HttpSendRequestA or InternetReadFile on the calling
// thread ("" when the thread's last such call succeeded), copied with a terminating zero
// into the buffer; *bufferLength becomes the text's length. With a buffer too short the
// call fails and *bufferLength is the room needed (with the zero). *error is set to 0.
bool InternetGetLastResponseInfoA(std::uint32_t* error, char* buffer, std::uint32_t* bufferLength);

// Closes the handle and every handle opened from it. False for a null or unknown
// (already closed) handle.
bool InternetCloseHandle(HINTERNET handle);
