// The chain of options files every text view reads its settings through:
// the Default File Type options under the User File Type options, those
// under the options of the view's syntax, and the view's own values on top.
// Each file is the options manager's one cached object, so a change to a
// file reaches every view that links it. Main thread; the options manager
// must be alive.
#pragma once

#include "ui/options.h"
#include "ui/reference_counted.h"
#include "ui/ustring.h"

// Package paths of the shared layers.
extern const char16_t kDefaultFileTypeOptionsPath[];
extern const char16_t kUserFileTypeOptionsPath[];
// The grammar a file no grammar claims gets.
extern const char16_t kPlainTextSyntaxPath[];

// Makes the Default File Type options the parent of the User File Type
// options; done once, when the application starts.
void linkFileTypeOptions();

// Adds the User File Type options as a parent of `options`. `options` must
// not have them yet.
void addUserFileTypeOptions(const slate::SP<Options>& options);

// Adds the User File Type options and then the syntax's own options as
// parents of `options`, and stores the grammar's path under "syntax"
// (without notifying). `options` must have neither parent yet.
void applySyntaxOptions(const slate::SP<Options>& options, const ustring& syntaxPath);

// Whether the options of `syntaxPath` are already a parent of `options`,
// directly or through parents.
bool hasSyntaxOptions(const slate::SP<Options>& options, const ustring& syntaxPath);

// applySyntaxOptions with the grammar the syntax manager gives for
// `fileName` (by extension, then by whole name), or the plain-text grammar
// when none claims it or no syntax manager is alive.
void applyFileTypeOptions(const slate::SP<Options>& options, const ustring& fileName);
