// SPDX-License-Identifier: MIT
#pragma once
class CStateFactory;

void registerNetTypes(CStateFactory* factory);
