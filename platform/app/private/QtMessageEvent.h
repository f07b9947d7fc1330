// Kalimo platform layer: Be API on Linux. MIT licence.
// The Qt event that carries one BMessage to the object its looper owns.
#ifndef _QT_MESSAGE_EVENT_H
#define _QT_MESSAGE_EVENT_H

#include <Message.h>

#include <QEvent>

#include <memory>

namespace BPrivate
{

class QtMessageEvent : public QEvent
{
public:
	QtMessageEvent(const BMessage& message, int32 handlerToken);

	static QEvent::Type EventType();

	int32 HandlerToken() const { return fHandlerToken; }
	BMessage* TakeMessage() { return fMessage.release(); }

private:
	std::unique_ptr<BMessage> fMessage;
	int32 fHandlerToken;
};

} // namespace BPrivate

#endif // _QT_MESSAGE_EVENT_H
