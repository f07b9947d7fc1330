// Kalimo editor. MIT licence.
#ifndef T_LINK_VIEW_H
#define T_LINK_VIEW_H

#include <String.h>
#include <StringView.h>

// Where users write to the project; the link view prepares a mail to it.
inline constexpr const char* kContactAddress = "kalimo@example.org";

// An underlined blue text that prepares a mail to the project when clicked.
class TLinkView : public BStringView
{
public:
	TLinkView(BRect frame, const char* name, const char* text, uint32 resizingMode, uint32 flags);
	virtual ~TLinkView();

	virtual void AttachedToWindow();
	virtual void Draw(BRect updateRect);
	virtual void MouseDown(BPoint where);

private:
	BString fText;
};

#endif // T_LINK_VIEW_H
