#pragma once

// Registers the pictures compiled into the widget library (":/images/...") and the fallbacks of
// the form's Windows font names. Call once before the first form is built; later calls do
// nothing.
void initCorvantaUiResources();
