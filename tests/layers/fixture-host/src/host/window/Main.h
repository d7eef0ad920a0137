#pragma once
void Main();
