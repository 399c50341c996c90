// Xlib, which some FLTK headers pull in, defines None and Status as macros;
// they clash with names of the toolkit interface (Icon::None, Status()).
// Included after the FLTK headers of a file, on purpose without a guard.
#ifdef None
#undef None
#endif
#ifdef Status
#undef Status
#endif
