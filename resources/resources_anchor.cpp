// Gives the resource library a translation unit of its own; the pictures themselves are
// compiled in by Qt's resource compiler.
