// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef _MENU_FIELD_H
#define _MENU_FIELD_H

#include <Menu.h>
#include <View.h>

// A label and a button that opens a menu. The button shows the menu's marked item
// when the menu takes its label from the marked item, else the menu's name. The
// field owns the menu.
class BMenuField : public BView
{
public:
	BMenuField(BRect frame, const char* name, const char* label, BMenu* menu,
	           uint32 resizingMode = B_FOLLOW_LEFT_TOP, uint32 flags = B_WILL_DRAW | B_NAVIGABLE);
	virtual ~BMenuField();

	virtual void AttachedToWindow();
	virtual void Draw(BRect updateRect);
	virtual void GetPreferredSize(float* width, float* height);

	BMenu* Menu() const { return fMenu; }
	// The item whose label the button shows.
	BMenuItem* MenuItem() const { return fMenuItem; }
	virtual void SetLabel(const char* label);
	const char* Label() const;
	virtual void SetEnabled(bool enabled);
	bool IsEnabled() const;
	virtual void SetDivider(float position);
	float Divider() const { return fDivider; }

private:
	void _LayOut();

	BMenu* fMenu;
	BMenuItem* fMenuItem;
	BString fLabel;
	bool fHasLabel = false;
	float fDivider;
};

#endif // _MENU_FIELD_H
