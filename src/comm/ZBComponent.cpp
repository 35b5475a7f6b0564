#include "comm/ZBComm.h"

TZBComponent::~TZBComponent()
{
    if (zbComm_)
        zbComm_->unbind(this);
}

void TZBComponent::SetZBComm(TZBComm* Port)
{
    if (zbComm_)
        zbComm_->unbind(this);
    zbComm_ = Port;
    if (Port)
        Port->bind(this);
}
