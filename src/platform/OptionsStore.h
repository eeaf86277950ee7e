#pragma once
class OptionsStore {};
