// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef _APP_DEFS_H
#define _APP_DEFS_H

#include <SupportDefs.h>

// Message codes the kits send and understand.
enum {
	B_ABOUT_REQUESTED = '_ABR',
	B_ARGV_RECEIVED = '_ARG',
	B_QUIT_REQUESTED = '_QRQ',
	B_READY_TO_RUN = '_RTR',
	B_REFS_RECEIVED = 'RREF',
	B_PULSE = '_PBL',

	B_KEY_DOWN = '_KYD',
	B_KEY_UP = '_KYU',
	B_UNMAPPED_KEY_DOWN = '_UKD',
	B_UNMAPPED_KEY_UP = '_UKU',
	B_MODIFIERS_CHANGED = '_MCH',
	B_MOUSE_DOWN = '_MDN',
	B_MOUSE_UP = '_MUP',
	B_MOUSE_MOVED = '_MMV',
	B_MOUSE_WHEEL_CHANGED = '_MWC',

	// A drop: the dropped files as entry_refs in "refs".
	B_SIMPLE_DATA = 'DATA',
	// The answer of a save panel without a message of its own.
	B_SAVE_REQUESTED = '_SVR',

	// Clipboard commands; a text view handles them.
	B_CUT = 'CCUT',
	B_COPY = 'COPY',
	B_PASTE = 'PSTE',
	B_SELECT_ALL = 'SALL',

	// Zeta's notice of a language change, sent to every window.
	B_LANGUAGE_CHANGED = '_BLC',

	// A live query's news of an entry; "opcode" as in NodeMonitor.h.
	B_QUERY_UPDATE = '_QUP',
};

// Cursors for BApplication::SetCursor. The hand is the Be API's ordinary pointer.
extern const unsigned char B_HAND_CURSOR[];
extern const unsigned char B_I_BEAM_CURSOR[];

#endif // _APP_DEFS_H
