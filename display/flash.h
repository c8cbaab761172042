#pragma once
// Exchanges ink and paper of the flashing attributes in the display's colour table.
void FlashSwap();
