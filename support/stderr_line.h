// stderrLine: the one way the program and its platform write to stderr. Every line starts with
// the program's name, "zolta: ", so that a line in a terminal or a log says whose it is, and
// goes out whole in one write with its newline.
#pragma once

// Writes "zolta: ", the words made from `format` as printf makes them, and a newline.
void stderrLine(const char* format, ...) __attribute__((format(printf, 1, 2)));
