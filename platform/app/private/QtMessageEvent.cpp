// Kalimo platform layer: Be API on Linux. MIT licence.
#include "QtMessageEvent.h"

namespace BPrivate
{

QEvent::Type
QtMessageEvent::EventType()
{
	static const QEvent::Type type = (QEvent::Type)QEvent::registerEventType();
	return type;
}

QtMessageEvent::QtMessageEvent(const BMessage& message, int32 handlerToken)
    : QEvent(EventType()), fMessage(new BMessage(message)), fHandlerToken(handlerToken)
{
}

} // namespace BPrivate
