# Named-stream container, -lh5- codec, Blowfish cipher and the typed stream helpers (Qt-free core).
kelani_library(kelani_streams
  SOURCES view/uJwStreamBase.cpp view/JwStream.cpp view/uLh5.cpp view/uBlowfish.cpp
  LIBS kelani_base)

kelani_test(test_jwstream
  SOURCES tests/view/test_jwstream.cpp tests/view/test_jwstream_corrupt.cpp
  LIBS kelani_streams)
