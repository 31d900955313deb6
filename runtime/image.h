// Pictures of items and receipts: decoding and fitting into a display area.
#pragma once
