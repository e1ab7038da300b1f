// The target that parses the headers every test executable shares; it has
// no code of its own.
