#pragma once
// For the Direct3D tests: the back buffer's pixels after a frame was drawn
// (and before it is presented, which would discard them), as 0xRRGGBB.
#include <windows.h>

#include <d3d9.h>
#include <wrl/client.h>

#include <cstdint>
#include <vector>

namespace testui {

struct Frame {
  std::vector<std::uint32_t> pixels;
  int width = 0, height = 0;  // the whole back buffer
  std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// False when the back buffer cannot be copied out.
inline bool ReadBackBuffer(IDirect3DDevice9* device, Frame& frame) {
  using Microsoft::WRL::ComPtr;
  frame = Frame{};
  ComPtr<IDirect3DSurface9> back, copy;
  if (!device || FAILED(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, back.GetAddressOf())))
    return false;
  D3DSURFACE_DESC desc{};
  back->GetDesc(&desc);
  if (FAILED(device->CreateOffscreenPlainSurface(desc.Width, desc.Height, desc.Format, D3DPOOL_SYSTEMMEM,
                                                 copy.GetAddressOf(), nullptr)) ||
      FAILED(device->GetRenderTargetData(back.Get(), copy.Get())))
    return false;
  D3DLOCKED_RECT locked{};
  if (FAILED(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY))) return false;
  frame.width = static_cast<int>(desc.Width);
  frame.height = static_cast<int>(desc.Height);
  frame.pixels.resize(static_cast<std::size_t>(frame.width) * frame.height);
  for (int y = 0; y < frame.height; ++y)
    for (int x = 0; x < frame.width; ++x)
      frame.pixels[static_cast<std::size_t>(y) * frame.width + x] =
          reinterpret_cast<const std::uint32_t*>(static_cast<const BYTE*>(locked.pBits) +
                                                 y * locked.Pitch)[x] &
          0xFFFFFF;
  copy->UnlockRect();
  return true;
}

}  // namespace testui
