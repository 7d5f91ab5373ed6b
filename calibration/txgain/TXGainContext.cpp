#include "TXGainContext.h"

CTXGCContext::CTXGCContext() : m_machine(std::make_unique<CTXGCStateMachine>())
{
    DummyLoadAntenna.Load(GetModel().AppKey());
    if (DummyLoadAntenna.Get() != 2 || !IsJW2DInstalled())
        DummyLoadAntenna.Set(1);
}

void CTXGCContext::SetAntenna(unsigned char antenna)
{
    DummyLoadAntenna.Set(antenna == 2 ? 2 : 1);
    DummyLoadAntenna.Save(GetModel().AppKey());
}
