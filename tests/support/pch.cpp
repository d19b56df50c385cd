// The object the tests' precompiled header is made with; the header is all there is to it.
