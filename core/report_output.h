// The professional program prints its reports through the previewer module it bound at start-up;
// without the module its reports say that they cannot be previewed or printed.
#pragma once

// Points every report run at the bound module's entries (or at the refusal when none is bound).
void useBoundPreviewer();
